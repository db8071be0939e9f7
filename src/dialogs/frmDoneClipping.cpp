#include "dialogs/frmDoneClipping.h"

#include "dialogs/frmClipBar.h"
#include "page/SharedReferences.h"
#include "platform/com.h"
#include "platform/controls.h"
#include "platform/system.h"

namespace {

constexpr long kWidth = 359;
constexpr long kHeight = 239;

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

void frmDoneClipping::Form_Load() {
  reporter_.guard("Form_Load()", [&] {
    ui::InitCommonControls();
    g_bDoneClippingOpen() = VARIANT_TRUE;
    Move(Left(), Top(), kWidth * sys::TwipsPerPixelX(), kHeight * sys::TwipsPerPixelY());
    showPrompt(true);
  });
}

// The flag is cleared whatever else fails: the page would never be highlighted again.
void frmDoneClipping::Form_Unload(int&) {
  reporter_.guard("Form_Unload()", [] { showPrompt(false); });
  g_bDoneClippingOpen() = VARIANT_FALSE;
}
