#include "dialogs/frmMouseOver.h"

#include "band/Reporter.h"
#include "band/mdlCommon.h"
#include "clip/ClipReporter.h"
#include "clip/mdlClip.h"
#include "runtime/strings.h"

namespace {

constexpr Reporter kReporter{"LumoraToolbar", "frmMouseOver"};

constexpr long kWidth = 67;
constexpr long kHeight = 19;
constexpr const char* kPictures[] = {"hover_clip", "hover_unclip", "hover_disabled"};

// The owner of the watch page has turned embedding off: the video cannot be clipped.
bool isEmbeddingDisabled(const html::Document& page) {
  if (!platform::containsNoCase(page.location().hostname, kVideoSiteHost)) return false;
  const std::vector<html::Element> codes = page.getElementsByName("embed_code");
  return !codes.empty() && platform::containsNoCase(codes.front().value(), "Embedding disabled");
}

// The object carries the index of a frame of the clip.
bool isClipped(const html::Element& object) {
  const std::optional<std::string> index = object.getAttribute("clip-index");
  return index && ClipFrame(*index);
}

}  // namespace

// The pictures are the form's design: they are there before anything runs.
frmMouseOver::frmMouseOver() {
  pcbWindow.Width = kWidth;
  pcbWindow.Height = kHeight;
  for (std::size_t i = 0; i < imgLumora.size(); ++i) {
    imgLumora[i].Container = &pcbWindow;
    imgLumora[i].ToolTipText = "Lumora This!";
    imgLumora[i].setPicture(ui::LoadArt(kPictures[i]));
    imgLumora[i].MouseUp = [this, i](int, int, long, long) {
      imgLumora_MouseUp(static_cast<int>(i));
    };
  }
}

void frmMouseOver::Form_Load() {
  kReporter.guard("Form_Load()", [&] {
    PlaceInBrowserPane(hWnd(), kWidth, kHeight);
    pcbWindow.Left = 0;
    pcbWindow.Top = 0;
    pcbWindow.Width = kWidth;
    pcbWindow.Height = kHeight;
    for (ui::Image& image : imgLumora) {
      image.Left = 0;
      image.Top = 0;
    }
    imgLumora[1].Visible = false;
    imgLumora[2].Visible = false;
    objectElement_ = {};
  });
}

void frmMouseOver::Form_Unload(int&) {
  kReporter.guard("Form_Unload()", [&] { objectElement_ = {}; });
}

void frmMouseOver::setObjectElement(const html::Element& element) {
  kReporter.guard("ObjectElement()", [&] {
    const bool disabled = isEmbeddingDisabled(element.ownerDocument());
    // What is in the clip can always be taken out again, embedding or not.
    if (isClipped(element))
      showPicture(1);
    else
      showPicture(disabled ? 2 : 0);
    objectElement_ = element;
  });
}

void frmMouseOver::imgLumora_MouseUp(int index) {
  kReporter.guard("imgLumora_MouseUp()", [&] {
    if (index == 0) {
      html::Document page = objectElement_.ownerDocument();
      PageObject object = objectElement_;
      std::string path;
      VARIANT_BOOL column = 0;
      Clip(page, object, path, column);
      showPicture(1);
    } else if (index == 1) {
      RemoveObject(objectElement_);
      showPicture(0);
    } else {
      ui::MessageBox(hWnd(), kEmbeddingDisabledMessage, kProjectName, MB_OK);
    }
  });
}

void frmMouseOver::showPicture(int index) {
  for (std::size_t i = 0; i < imgLumora.size(); ++i)
    imgLumora[i].Visible = static_cast<int>(i) == index;
}

void PositionObjectClipper() {
  kClipReporter.guard("PositionObjectClipper()", [] {
    if (!ui::Instance<frmMouseOver>::exists()) return;
    frmMouseOver& button = ui::Instance<frmMouseOver>::get();
    const html::Element object = button.ObjectElement();
    if (!object) return;
    const html::Rect r = object.getBoundingClientRect();
    const long x = platform::roundHalfEven(static_cast<double>(r.right) -
                                           static_cast<double>(button.ScaleWidth()) - 10);
    const long y = r.top + 10;
    // The page's client coordinates are the pane's: the page fills it.
    ui::MoveWindow(button.hWnd(), static_cast<int>(x), static_cast<int>(y),
                   static_cast<int>(button.ScaleWidth()), static_cast<int>(button.ScaleHeight()),
                   TRUE);
    button.Show();
  });
}
