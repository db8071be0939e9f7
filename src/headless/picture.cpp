#include "platform/picture.h"

#include <cstring>

#include "platform/controls.h"
#include "runtime/error.h"
#include "runtime/implementation.h"

namespace ui {

struct PictureImpl {
  int type;
  HANDLE handle;
  long width = 0;
  long height = 0;
};

int Picture::type() const {
  return self().type;
}

HANDLE Picture::handle() const {
  return self().handle;
}

Picture OleCreatePictureIndirect(int pictureType, HANDLE handle, bool) {
  if (pictureType != PICTYPE_BITMAP && pictureType != PICTYPE_ICON)
    platform::raiseHResult(E_INVALIDARG);
  return Picture(std::make_shared<Picture::Impl>(Picture::Impl{pictureType, handle}));
}

namespace {

constexpr std::int32_t kInvalidPicture = 481;

template <class T>
T read(std::span<const std::uint8_t> bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

[[noreturn]] void invalid() {
  platform::raise(kInvalidPicture, "Invalid picture");
}

}  // namespace

// Only the header is read: nothing is drawn here, but the sizes must be the file's.
Picture LoadBitmapFile(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kFileHeader = 14;
  constexpr std::size_t kInfoHeader = 40;
  if (bytes.size() < kFileHeader + kInfoHeader || bytes[0] != 'B' || bytes[1] != 'M') invalid();
  const auto dataOffset = read<std::uint32_t>(bytes, 10);
  const auto width = read<std::int32_t>(bytes, 18);
  const auto height = read<std::int32_t>(bytes, 22);
  const auto bitCount = read<std::uint16_t>(bytes, 28);
  if (read<std::uint32_t>(bytes, 14) < kInfoHeader || width <= 0 || height == 0 ||
      height == INT32_MIN || bitCount == 0 || bitCount > 32)
    invalid();
  const std::uint64_t rowBytes = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
  const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
  if (dataOffset > bytes.size() || rowBytes * rows > bytes.size() - dataOffset) invalid();
  auto impl = std::make_shared<Picture::Impl>(Picture::Impl{PICTYPE_BITMAP, nullptr});
  impl->handle = impl.get();
  impl->width = width;
  impl->height = static_cast<long>(rows);
  return Picture(std::move(impl));
}

long PictureWidth(const Picture& picture) {
  return platform::deref(platform::implementation(picture)).width;
}

long PictureHeight(const Picture& picture) {
  return platform::deref(platform::implementation(picture)).height;
}

}  // namespace ui
