// The hover button over a video or picture that can be clipped: a floating window over the
// page, one per browser thread, loaded when first shown and unloaded when the page changes.
#pragma once

#include <string>

#include "platform/ui.h"
#include "runtime/form.h"

class frmMouseOver : public ui::Form {
 protected:
  std::string formName() const override { return "frmMouseOver"; }
};
