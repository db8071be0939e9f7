#include "platform/picture.h"

#include "platform/error.h"

namespace ui {

struct Picture::Impl {
  int type;
  HANDLE handle;
};

int Picture::type() const {
  if (!impl_) platform::raiseNothing();
  return impl_->type;
}

HANDLE Picture::handle() const {
  if (!impl_) platform::raiseNothing();
  return impl_->handle;
}

Picture OleCreatePictureIndirect(int pictureType, HANDLE handle, bool) {
  if (pictureType != PICTYPE_BITMAP && pictureType != PICTYPE_ICON)
    platform::raiseHResult(E_INVALIDARG);
  return Picture(std::make_shared<Picture::Impl>(Picture::Impl{pictureType, handle}));
}

}  // namespace ui
