// The button beside a text selection that clips it: a floating window over the
// page, one per browser thread, loaded when first shown and unloaded when the page changes.
#pragma once

#include <string>

#include "platform/ui.h"
#include "runtime/form.h"

class frmClipSelection : public ui::Form {
 protected:
  std::string formName() const override { return "frmClipSelection"; }
};
