#include "dialogs/frmClipSelection.h"

#include "band/Reporter.h"
#include "band/mdlCommon.h"

namespace {

constexpr Reporter kReporter{"LumoraToolbar", "frmClipSelection"};

constexpr long kWidth = 34;
constexpr long kHeight = 23;

}  // namespace

// The picture is the form's design: it is there before anything runs.
frmClipSelection::frmClipSelection() {
  imgClipSelection.ToolTipText = "Clip this selection";
  imgClipSelection.setPicture(ui::LoadArt("clip_selection"));
}

// A child of the browser pane, the size of its picture, so that it moves with the page.
void frmClipSelection::Form_Load() {
  kReporter.guard("Form_Load()", [&] {
    PlaceInBrowserPane(hWnd(), kWidth, kHeight);
    imgClipSelection.Left = 0;
    imgClipSelection.Top = 0;
  });
}
