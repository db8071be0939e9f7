#include "dialogs/frmDoneClipping.h"

#include "band/Configuration.h"
#include "band/mdlCommon.h"
#include "dialogs/frmClipBar.h"
#include "page/SharedReferences.h"
#include "platform/com.h"
#include "platform/controls.h"
#include "platform/system.h"
#include "toolbar/frmToolband.h"

namespace {

constexpr long kWidth = 359;
constexpr long kHeight = 239;
constexpr long kCaptionWidth = 202;
constexpr long kGap = 8;
constexpr COLORREF kGreen = RGB(68, 126, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// The frame: x1, y1, x2, y2 of each border line.
constexpr long kFrame[4][4] = {
    {3, 3, 355, 3}, {3, 3, 3, 235}, {3, 235, 355, 235}, {355, 3, 355, 235}};

void styleCaption(ui::Label& label, const std::string& caption) {
  label.ForeColor = kWhite;
  label.BackStyle = ui::vbTransparent;
  label.setFont(ui::FontSpec{"Arial", 8.25, true, false});
  label.setAutoSize(true);
  label.setCaption(caption);
}

// What TagIt is told of each button: print, blog, e-mail.
void tagIt(VARIANT_BOOL print, VARIANT_BOOL blog, VARIANT_BOOL email) {
  ui::Instance<frmToolband>::get().TagIt(print, blog, email);
}

// The bar shows the option prompt while the dialog is open, the button otherwise. A bar that has
// gone is left gone.
void showPrompt(bool prompt) {
  if (!ui::Instance<frmClipBar>::exists()) return;
  frmClipBar& bar = ui::Instance<frmClipBar>::get();
  bar.imgDoneClipping.Visible = !prompt;
  bar.imgChooseOption.Visible = prompt;
  if (bar.isLoaded()) ui::InvalidateRect(bar.hWnd());
}

}  // namespace

frmDoneClipping::frmDoneClipping() {
  BackColor = kGreen;
  imgSave.setPicture(ui::LoadArt("done_save"));
  imgEmail.setPicture(ui::LoadArt("done_email"));
  imgBlog.setPicture(ui::LoadArt("done_blog"));
  imgPrint.setPicture(ui::LoadArt("done_print"));
  for (ui::Image& divider : imgDivider) divider.setPicture(ui::LoadArt("done_divider"));
  for (ui::Line& line : lnBorder) line.BorderColor = kWhite;
  lblSave.Width = kCaptionWidth;
  lblSave.setWordWrap(true);
  styleCaption(lblSave, "Post this clip to Facebook, MySpace, " + Service().domainCaption +
                            " or any other site.");
  styleCaption(lblEmail, "Sure beats copy and paste.");
  styleCaption(lblBlog, "Post this clip directly to your blog.");
  styleCaption(lblPrint, "Only print what you need. Save trees!");
  styleCaption(lblCancel, "cancel");
  lblCancel.setFont(ui::FontSpec{"Arial", 9, true, true});

  const auto guarded = [this](const char* name, VARIANT_BOOL print, VARIANT_BOOL blog,
                              VARIANT_BOOL email) {
    return [this, name, print, blog, email] {
      reporter_.guard(name, [=] { tagIt(print, blog, email); });
    };
  };
  imgSave.Click = guarded("imgSave_Click()", VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE);
  imgEmail.Click = guarded("imgEmail_Click()", VARIANT_FALSE, VARIANT_FALSE, VARIANT_TRUE);
  imgBlog.Click = guarded("imgBlog_Click()", VARIANT_FALSE, VARIANT_TRUE, VARIANT_FALSE);
  imgPrint.Click = guarded("imgPrint_Click()", VARIANT_TRUE, VARIANT_FALSE, VARIANT_FALSE);
  lblCancel.Click = [] { ui::Instance<frmDoneClipping>::Unload(); };
}

// Each row starts under the one above, so pictures of other heights move the rows below.
void frmDoneClipping::LayOut() {
  for (std::size_t i = 0; i < lnBorder.size(); ++i) {
    lnBorder[i].X1 = kFrame[i][0];
    lnBorder[i].Y1 = kFrame[i][1];
    lnBorder[i].X2 = kFrame[i][2];
    lnBorder[i].Y2 = kFrame[i][3];
  }
  imgSave.Left = 14;
  imgSave.Top = 15;
  lblSave.Left = 139;
  lblSave.Top = 16;
  long y = 15 + imgSave.Height + kGap;
  const std::array<std::pair<ui::Image*, ui::Label*>, 3> rows{
      {{&imgEmail, &lblEmail}, {&imgBlog, &lblBlog}, {&imgPrint, &lblPrint}}};
  for (std::size_t i = 0; i < imgDivider.size(); ++i) {
    imgDivider[i].Left = 8;
    imgDivider[i].Top = y;
    y += imgDivider[i].Height + kGap;
    if (i == rows.size()) break;
    auto [button, caption] = rows[i];
    button->Left = 14;
    button->Top = y;
    caption->Left = 139;
    caption->Top = y + 10;
    y += button->Height + kGap;
  }
  lblCancel.Left = 305;
  lblCancel.Top = y - 3;
}

void frmDoneClipping::Form_Load() {
  reporter_.guard("Form_Load()", [&] {
    ui::InitCommonControls();
    g_bDoneClippingOpen() = VARIANT_TRUE;
    Move(Left(), Top(), kWidth * sys::TwipsPerPixelX(), kHeight * sys::TwipsPerPixelY());
    LayOut();
    if (g_picHandCursor()) {
      for (ui::Control* control : std::initializer_list<ui::Control*>{&imgSave, &imgEmail, &imgBlog,
                                                                      &imgPrint, &lblCancel}) {
        control->MouseIcon = g_picHandCursor();
        control->MousePointer = ui::vbCustom;
      }
    }
    showPrompt(true);
  });
}

// The flag is cleared whatever else fails: the page would never be highlighted again.
void frmDoneClipping::Form_Unload(int&) {
  reporter_.guard("Form_Unload()", [] { showPrompt(false); });
  g_bDoneClippingOpen() = VARIANT_FALSE;
}
