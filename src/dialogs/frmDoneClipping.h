// The done-clipping dialog: drops down under the clip bar's Done Clipping button with the ways
// to finish the clip. While it is loaded the page is not highlighted and the bar shows its
// option prompt in place of the button. One per browser thread.
#pragma once

#include <string>

#include "band/Reporter.h"
#include "runtime/controls.h"
#include "runtime/form.h"

class frmDoneClipping : public ui::Form {
 protected:
  std::string formName() const override { return "frmDoneClipping"; }
  DWORD formStyle() const override { return ui::kBorderNone; }
  void Form_Load() override;
  void Form_Unload(int& cancel) override;

 private:
  const Reporter reporter_{kProjectName, "frmDoneClipping"};
};
