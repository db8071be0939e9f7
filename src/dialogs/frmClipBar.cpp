#include "dialogs/frmClipBar.h"

#include "band/Configuration.h"
#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
#include "clip/mdlClip.h"
#include "dialogs/frmDoneClipping.h"
#include "dialogs/frmPleaseClipSomething.h"
#include "page/mdlWindowProxy.h"
#include "platform/system.h"
#include "runtime/strings.h"
#include "toolbar/frmToolband.h"

namespace {

constexpr long kBarHeight = 36;
constexpr long kLoadHeight = 25;
constexpr long kBodylessWidth = 800;
// The content is centred on a band this wide on a bar wider than kCentredFrom; on a narrower
// one it starts kNarrowLeft from the left and is cut at the right edge.
constexpr long kContentWidth = 810;
constexpr long kCentredFrom = 816;
constexpr long kNarrowLeft = 5;
constexpr COLORREF kWhite = RGB(255, 255, 255);

void styleLabel(ui::Label& label, const std::string& caption, bool link) {
  label.ForeColor = kWhite;
  label.BackStyle = ui::vbTransparent;
  label.setFont(ui::FontSpec{"Arial", 8.25, true, link});
  label.setAutoSize(true);
  label.setCaption(caption);
}

void giveHandCursor(ui::Control& control) {
  control.MouseIcon = g_picHandCursor();
  control.MousePointer = ui::vbCustom;
}

bool somethingClipped() {
  return g_ClipXML() && g_ClipXML().documentElement().childNodes().length() > 0;
}

}  // namespace

// The pictures and the labels' texts and fonts are the form's design.
frmClipBar::frmClipBar() {
  imgBackground.Stretch = true;
  imgBackground.setPicture(ui::LoadArt("clipbar_background"));
  imgTagline.setPicture(ui::LoadArt("clipbar_tagline"));
  imgDoneClipping.setPicture(ui::LoadArt("clipbar_done"));
  imgChooseOption.setPicture(ui::LoadArt("clipbar_choose"));
  imgChooseOption.Visible = false;
  styleLabel(lblCharCount, "0", false);
  styleLabel(lblCharactersClipped, " characters clipped.", false);
  styleLabel(lblCharsRemaining, "1000", false);
  styleLabel(lblCharsRemaingingText, " to ", false);
  styleLabel(lblPublishingLimit, "sharing limit.", true);
  styleLabel(lblHelp, "Help", true);
  styleLabel(lblCancel, "Cancel", true);
  imgDoneClipping.Click = [this] { imgDoneClipping_Click(); };
  lblCancel.Click = [this] { lblCancel_Click(); };
  lblHelp.Click = [this] { lblHelp_Click(); };
  lblPublishingLimit.Click = [this] { lblPublishingLimit_Click(); };
}

// A child of the browser's pane, so that it moves with the page and lies over it.
void frmClipBar::Form_Load() {
  reporter_.guard("Form_Load()", [&] {
    MakeBrowserPaneChild(hWnd());
    setHeight(kLoadHeight * sys::TwipsPerPixelY());
    imgBackground.Left = 0;
    if (!g_picHandCursor()) return;
    for (ui::Control* control : std::initializer_list<ui::Control*>{&lblPublishingLimit, &lblHelp,
                                                                    &lblCancel, &imgDoneClipping})
      giveHandCursor(*control);
  });
}

void frmClipBar::ShowClipBar() {
  reporter_.guard("ShowClipBar()", [&] {
    SizeClipBar();
    ui::ShowWindow(hWnd(), SW_SHOWNORMAL);
  });
}

void frmClipBar::SizeClipBar() {
  reporter_.guard("SizeClipBar()", [&] {
    RECT pane{};
    RECT page{};
    ui::GetWindowRect(GetBrowserPaneWindow(), &pane);
    ui::GetWindowRect(g_hWndIEServer(), &page);
    const long dx = page.left - pane.left;
    const long dy = page.top - pane.top;
    const html::Element body = ToolbandBrowser().Document().html().body();
    if (!body)
      ui::MoveWindow(hWnd(), dx, dy, kBodylessWidth, kBarHeight, TRUE);
    else
      ui::MoveWindow(hWnd(), dx + body.clientLeft(), dy + body.clientTop(), body.clientWidth(),
                     kBarHeight, TRUE);

    const long width = ScaleWidth();
    imgBackground.Top = 0;
    imgBackground.Height = kBarHeight;
    imgBackground.Width = width;
    const long x0 = width > kCentredFrom
                        ? platform::roundHalfEven(width / 2.0 - kContentWidth / 2.0)
                        : kNarrowLeft;

    imgTagline.Left = x0;
    imgTagline.Top = 3;
    long x = x0 + imgTagline.Width + 10;
    imgDoneClipping.Left = x;
    imgDoneClipping.Top = 4;
    imgChooseOption.Left = x;
    imgChooseOption.Top = 9;
    x += imgDoneClipping.Width + 18;
    lblCharCount.Left = x;
    lblCharCount.Top = 3;
    x += lblCharCount.Width;
    lblCharactersClipped.Left = x;
    lblCharactersClipped.Top = 3;

    // The second row starts under the count.
    x = imgDoneClipping.Left + imgDoneClipping.Width + 18;
    for (ui::Label* label : {&lblCharsRemaining, &lblCharsRemaingingText, &lblPublishingLimit}) {
      label->Left = x;
      label->Top = 16;
      x += label->Width;
    }
    x += 24;
    lblHelp.Left = x;
    lblHelp.Top = 9;
    x += lblHelp.Width + 10;
    lblCancel.Left = x;
    lblCancel.Top = 9;
    ui::InvalidateRect(hWnd());
  });
}

void frmClipBar::Form_Resize() {
  SizeClipBar();
}

// Keeps the bar above the page's own window, which the browser raises as it repaints.
void frmClipBar::Form_MouseMove(int, int, long, long) {
  ui::BringWindowToTop(hWnd());
}

void frmClipBar::imgDoneClipping_Click() {
  reporter_.guard("imgDoneClipping_Click()", [&] {
    if (!somethingClipped()) {
      ui::Instance<frmPleaseClipSomething>::get().Show(ui::vbModal, this);
      return;
    }
    RECT bar{};
    ui::GetWindowRect(hWnd(), &bar);
    frmDoneClipping& dialog = ui::Instance<frmDoneClipping>::get();
    dialog.Load();
    // The bar's scale starts at 0.
    dialog.Move((bar.left + imgDoneClipping.Left) * sys::TwipsPerPixelX(),
                (bar.top + imgDoneClipping.Top + imgDoneClipping.Height) * sys::TwipsPerPixelY());
    dialog.Show(ui::vbModal, this);
  });
}

void frmClipBar::lblCancel_Click() {
  reporter_.guard("lblCancel_Click()", [] {
    ui::Instance<frmToolband>::get().setLumoraMode(0);
    ClearAllHighlights();
  });
}

void frmClipBar::lblHelp_Click() {
  reporter_.guard("lblHelp_Click()", [] { LaunchHowToClip(); });
}

void frmClipBar::lblPublishingLimit_Click() {
  reporter_.guard("lblPublishingLimit_Click()", [] {
    LaunchBrowser(ServiceAddress(Service().web, "/publishing-limit/"), VARIANT_FALSE, 395, 470,
                  VARIANT_TRUE);
  });
}

void LaunchHowToClip() {
  LaunchBrowser(ServiceAddress(Service().web, "/how-to-clip/"), VARIANT_TRUE, 0, 0, VARIANT_TRUE);
}
