#include "dialogs/OverLimitForm.h"

#include "band/Configuration.h"
#include "platform/controls.h"
#include "platform/system.h"

namespace {

constexpr long kPageLeft = 8;
constexpr long kPageTop = 8;
constexpr long kPageWidth = 300;
constexpr long kButtonWidth = 81;
constexpr long kButtonHeight = 25;

}  // namespace

OverLimitForm::OverLimitForm(const Design& design)
    : design_(design), reporter_(kProjectName, design.name) {
  StartUpPosition = ui::vbStartUpOwner;
  sizeButton(cmdCancel, "Edit Clip");
}

void OverLimitForm::sizeButton(ui::CommandButton& button, const std::string& caption) {
  button.Caption = caption;
  button.Width = kButtonWidth;
  button.Height = kButtonHeight;
}

void OverLimitForm::Form_Load() {
  reporter_.guard("Form_Load()", [&] {
    ui::InitCommonControls();
    Move(Left(), Top(), design_.width * sys::TwipsPerPixelX(),
         design_.height * sys::TwipsPerPixelY());
    wbOverLimit.Width = kPageWidth;
    wbOverLimit.Height = design_.pageHeight;
    wbOverLimit.Left = kPageLeft;
    wbOverLimit.Top = kPageTop;
    // The buttons first: they work even when the page cannot be had.
    placeButtons();
    wbOverLimit.Navigate2(ServiceAddress(Service().content, design_.pagePath));
  });
}
