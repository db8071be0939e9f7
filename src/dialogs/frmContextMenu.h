// The in-page context menu: a small borderless window over the page that widens the clip from
// the element under the mouse to one of its ancestors. One per browser thread; the page's
// context-menu handling loads and shows it, and clipping mode's end unloads it.
#pragma once

#include <string>

#include "runtime/form.h"

class frmContextMenu : public ui::Form {
 protected:
  std::string formName() const override { return "frmContextMenu"; }
  void Form_Load() override;
};
