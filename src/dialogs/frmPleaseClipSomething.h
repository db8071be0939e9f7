// The prompt shown when Done Clipping is pressed with nothing clipped: a picture that says what
// to do (a click on it opens the how-to-clip page) and an OK button that closes it.
#pragma once

#include <string>

#include "band/Reporter.h"
#include "runtime/controls.h"
#include "runtime/form.h"

class frmPleaseClipSomething : public ui::Form {
 public:
  frmPleaseClipSomething();

  ui::Image imgMessage{*this};
  ui::CommandButton OKButton{*this};

 protected:
  std::string formName() const override { return "frmPleaseClipSomething"; }
  std::string formCaption() const override { return "Please Clip Something"; }
  DWORD formStyle() const override { return ui::kBorderFixedDialog; }
  void Form_Load() override;

 private:
  const Reporter reporter_{kProjectName, "frmPleaseClipSomething"};
};
