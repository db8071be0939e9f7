// Picture objects (IPicture / IPictureDisp) made from a bitmap or icon handle.
#pragma once

#include <memory>

#include "platform/wintypes.h"

namespace ui {

constexpr int PICTYPE_BITMAP = 1;
constexpr int PICTYPE_ICON = 3;

class Picture {
 public:
  struct Impl;
  Picture() = default;
  explicit Picture(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
  bool isNothing() const { return impl_ == nullptr; }
  explicit operator bool() const { return impl_ != nullptr; }
  int type() const;
  HANDLE handle() const;
  const std::shared_ptr<Impl>& impl() const { return impl_; }

 private:
  std::shared_ptr<Impl> impl_;
};

// OleCreatePictureIndirect with a PICTDESC of the given type and handle; own passes the
// handle's ownership to the picture. Raises the failing HRESULT.
Picture OleCreatePictureIndirect(int pictureType, HANDLE handle, bool own);

}  // namespace ui
