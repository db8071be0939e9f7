#include "platform/picture.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/com.h"
#include "platform/controls.h"

// After the port's header: olectl.h defines the PICTYPE_ names as macros of the same values.
#include <olectl.h>

namespace ui {

struct PictureImpl {
  com::Ptr<IPicture> picture;
};

int Picture::type() const {
  SHORT type = 0;
  platform::check(self().picture->get_Type(&type));
  return type;
}

HANDLE Picture::handle() const {
  OLE_HANDLE handle = 0;
  platform::check(self().picture->get_Handle(&handle));
  return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle));
}

Picture OleCreatePictureIndirect(int pictureType, HANDLE handle, bool own) {
  PICTDESC desc{};
  desc.cbSizeofstruct = sizeof desc;
  desc.picType = static_cast<UINT>(pictureType);
  if (pictureType == PICTYPE_BITMAP)
    desc.bmp.hbitmap = static_cast<HBITMAP>(handle);
  else if (pictureType == PICTYPE_ICON)
    desc.icon.hicon = static_cast<HICON>(handle);
  else
    platform::raiseHResult(E_INVALIDARG);
  auto impl = std::make_shared<Picture::Impl>();
  platform::check(
      ::OleCreatePictureIndirect(&desc, IID_IPicture, own ? TRUE : FALSE, impl->picture.putVoid()));
  return Picture(std::move(impl));
}

namespace {

constexpr std::int32_t kInvalidPicture = 481;

[[noreturn]] void invalidPicture() {
  platform::raise(kInvalidPicture, "Invalid picture");
}

template <class T>
T readAt(std::span<const std::uint8_t> bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

// The colour table or the BI_BITFIELDS masks that follow a 40-byte header.
std::size_t tableBytes(const BITMAPINFOHEADER& h) {
  if (h.biBitCount <= 8) return 4 * (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount);
  return h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER) ? 12 : 0;
}

bool drawable(const BITMAPINFOHEADER& h) {
  switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      return h.biCompression == BI_RGB && h.biClrUsed <= (1u << 8);
    case 16:
    case 32:
      return h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS;
    default:
      return false;
  }
}

struct BitmapSize {
  BITMAP bitmap{};
  bool ok = false;
};

BitmapSize sizeOf(HBITMAP handle) {
  BitmapSize s;
  s.ok = handle && ::GetObjectW(handle, sizeof s.bitmap, &s.bitmap) == sizeof s.bitmap;
  return s;
}

// Width and height in pixels of a bitmap or icon picture; an icon without colour has its mask
// and image stacked in one bitmap of twice the height.
SIZE pixelSize(const Picture& picture) {
  if (picture.type() == PICTYPE_BITMAP) {
    const BitmapSize s = sizeOf(static_cast<HBITMAP>(picture.handle()));
    if (s.ok) return {s.bitmap.bmWidth, std::abs(s.bitmap.bmHeight)};
  } else if (picture.type() == PICTYPE_ICON) {
    ICONINFO info{};
    if (::GetIconInfo(static_cast<HICON>(picture.handle()), &info)) {
      const BitmapSize s = sizeOf(info.hbmColor ? info.hbmColor : info.hbmMask);
      const LONG stacked = info.hbmColor ? 1 : 2;
      if (info.hbmColor) ::DeleteObject(info.hbmColor);
      if (info.hbmMask) ::DeleteObject(info.hbmMask);
      if (s.ok) return {s.bitmap.bmWidth, s.bitmap.bmHeight / stacked};
    }
  }
  invalidPicture();
}

}  // namespace

Picture LoadBitmapFile(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kFileHeader = sizeof(BITMAPFILEHEADER);
  if (bytes.size() < kFileHeader + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' || bytes[1] != 'M')
    invalidPicture();
  const auto h = readAt<BITMAPINFOHEADER>(bytes, kFileHeader);
  if (h.biSize < sizeof h || h.biSize > bytes.size() - kFileHeader || h.biWidth <= 0 ||
      h.biHeight == 0 || h.biHeight == INT32_MIN || h.biPlanes != 1 || !drawable(h))
    invalidPicture();
  const std::size_t infoBytes = h.biSize + tableBytes(h);
  const auto dataOffset = readAt<std::uint32_t>(bytes, 10);
  const std::uint64_t rowBytes =
      (static_cast<std::uint64_t>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
  const std::uint64_t rows =
      static_cast<std::uint64_t>(std::abs(static_cast<std::int64_t>(h.biHeight)));
  if (infoBytes > bytes.size() - kFileHeader || dataOffset < kFileHeader + infoBytes ||
      dataOffset > bytes.size() || rows > (bytes.size() - dataOffset) / rowBytes)
    invalidPicture();

  // Copied out of the file so that the header GDI reads is aligned.
  std::vector<std::uint32_t> info((infoBytes + 3) / 4);
  std::memcpy(info.data(), bytes.data() + kFileHeader, infoBytes);
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) invalidPicture();
  std::memcpy(bits, bytes.data() + dataOffset, static_cast<std::size_t>(rowBytes * rows));
  try {
    return OleCreatePictureIndirect(PICTYPE_BITMAP, bitmap, true);
  } catch (...) {
    ::DeleteObject(bitmap);
    throw;
  }
}

long PictureWidth(const Picture& picture) {
  return pixelSize(picture).cx;
}

long PictureHeight(const Picture& picture) {
  return pixelSize(picture).cy;
}

}  // namespace ui
