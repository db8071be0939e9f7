#include "platform/picture.h"

#include "platform/com.h"

// After the port's header: olectl.h defines the PICTYPE_ names as macros of the same values.
#include <olectl.h>

namespace ui {

struct Picture::Impl {
  com::Ptr<IPicture> picture;
};

int Picture::type() const {
  if (!impl_) platform::raiseNothing();
  SHORT type = 0;
  platform::check(impl_->picture->get_Type(&type));
  return type;
}

HANDLE Picture::handle() const {
  if (!impl_) platform::raiseNothing();
  OLE_HANDLE handle = 0;
  platform::check(impl_->picture->get_Handle(&handle));
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

}  // namespace ui
