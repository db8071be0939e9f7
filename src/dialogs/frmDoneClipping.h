// The done-clipping dialog: drops down under the clip bar's Done Clipping button with the ways
// to finish the clip. While it is loaded the page is not highlighted and the bar shows its
// option prompt in place of the button. One per browser thread.
#pragma once

#include <array>
#include <string>

#include "band/Reporter.h"
#include "runtime/controls.h"
#include "runtime/form.h"

class frmDoneClipping : public ui::Form {
 public:
  frmDoneClipping();

  std::array<ui::Image, 4> imgDivider{
      {ui::Image(*this), ui::Image(*this), ui::Image(*this), ui::Image(*this)}};
  std::array<ui::Line, 4> lnBorder{
      {ui::Line(*this), ui::Line(*this), ui::Line(*this), ui::Line(*this)}};
  ui::Image imgSave{*this};
  ui::Label lblSave{*this};
  ui::Image imgEmail{*this};
  ui::Label lblEmail{*this};
  ui::Image imgBlog{*this};
  ui::Label lblBlog{*this};
  ui::Image imgPrint{*this};
  ui::Label lblPrint{*this};
  ui::Label lblCancel{*this};

 protected:
  std::string formName() const override { return "frmDoneClipping"; }
  DWORD formStyle() const override { return ui::kBorderNone; }
  void Form_Load() override;
  void Form_Unload(int& cancel) override;

 private:
  void LayOut();

  const Reporter reporter_{kProjectName, "frmDoneClipping"};
};
