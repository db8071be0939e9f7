// The picture port: picture objects (IPicture / IPictureDisp) made from a bitmap or icon
// handle. A platform implements every member, the Impl type and OleCreatePictureIndirect.
// No member answers a status; failures raise: 91 for a member of Nothing, the failing HRESULT
// otherwise (E_INVALIDARG for a picture type other than a bitmap or an icon).
#pragma once

#include <memory>

#include "platform/wintypes.h"
#include "runtime/handle.h"

namespace ui {

constexpr int PICTYPE_BITMAP = 1;
constexpr int PICTYPE_ICON = 3;

struct PictureImpl;  // what a platform keeps behind a picture

class Picture : public platform::Handle<PictureImpl> {
 public:
  using Handle::Handle;
  int type() const;
  HANDLE handle() const;
};

// OleCreatePictureIndirect with a PICTDESC of the given type and handle; own passes the
// handle's ownership to the picture. Raises the failing HRESULT.
Picture OleCreatePictureIndirect(int pictureType, HANDLE handle, bool own);

}  // namespace ui
