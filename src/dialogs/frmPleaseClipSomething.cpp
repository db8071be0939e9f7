#include "dialogs/frmPleaseClipSomething.h"

#include "dialogs/frmClipBar.h"
#include "platform/controls.h"
#include "platform/system.h"

namespace {

constexpr long kWidth = 318;
constexpr long kHeight = 360;
constexpr long kButtonWidth = 81;
constexpr long kButtonHeight = 25;

}  // namespace

frmPleaseClipSomething::frmPleaseClipSomething() {
  StartUpPosition = ui::vbStartUpOwner;
  imgMessage.setPicture(ui::LoadArt("please_clip_something"));
  OKButton.Caption = "OK";
  OKButton.Width = kButtonWidth;
  OKButton.Height = kButtonHeight;
  // The prompt stays open: the page opens beside it.
  imgMessage.Click = [this] { reporter_.guard("imgMessage_Click()", [] { LaunchHowToClip(); }); };
  OKButton.Click = [] { ui::Instance<frmPleaseClipSomething>::Unload(); };
}

void frmPleaseClipSomething::Form_Load() {
  reporter_.guard("Form_Load()", [&] {
    ui::InitCommonControls();
    Move(Left(), Top(), kWidth * sys::TwipsPerPixelX(), kHeight * sys::TwipsPerPixelY());
    imgMessage.Left = 8;
    imgMessage.Top = 8;
    OKButton.Left = 224;
    OKButton.Top = 300;
  });
}
