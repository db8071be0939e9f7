#include "dialogs/frmClipSelection.h"

#include "band/Reporter.h"
#include "band/mdlCommon.h"
#include "clip/mdlClip.h"
#include "page/WindowProxy.h"

namespace {

constexpr Reporter kReporter{"LumoraToolbar", "frmClipSelection"};

}  // namespace

// The picture is the form's design: it is there before anything runs.
frmClipSelection::frmClipSelection() {
  imgClip.ToolTipText = "Clip this selection";
  imgClip.setPicture(ui::LoadArt("clip_selection"));
  imgClip.Click = [this] { imgClip_Click(); };
}

// A child of the browser pane, the size of its picture, so that it moves with the page.
void frmClipSelection::Form_Load() {
  kReporter.guard("Form_Load()", [&] {
    PlaceInBrowserPane(hWnd(), static_cast<int>(imgClip.Width), static_cast<int>(imgClip.Height));
    imgClip.Left = 0;
    imgClip.Top = 0;
  });
}

void frmClipSelection::Form_Unload(int&) {
  document_ = {};
  proxy_.reset();
}

// The proxy's selection flag would swallow the next click in the page as the end of a drag.
void frmClipSelection::imgClip_Click() {
  kReporter.guard("imgClip_Click()", [&] {
    PageObject range = document_.selection().createRange();
    std::string path;
    VARIANT_BOOL column = 0;
    Clip(document_, range, path, column);
    document_.selection().empty();
    if (!proxy_) platform::raise(platform::kObjectNotSet);
    proxy_->setSelectStart(0);
    ui::Instance<frmClipSelection>::Unload();
  });
}
