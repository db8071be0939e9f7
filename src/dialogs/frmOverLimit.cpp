#include "dialogs/frmOverLimit.h"

#include "toolbar/frmToolband.h"

// The post runs before the dialog goes, inside the click.
frmOverLimit::frmOverLimit()
    : OverLimitForm(
          {"frmOverLimit", "Folverra sharing limit", 322, 404, 331, "/overlimit_image.htm"}) {
  sizeButton(cmdSave, "Save Privately");
  cmdSave.Click = [this] {
    reporter_.guard("cmdSave_Click()", [] {
      ui::Instance<frmToolband>::get().PostClip();
      ui::Instance<frmOverLimit>::Unload();
    });
  };
  cmdCancel.Click = [] { ui::Instance<frmOverLimit>::Unload(); };
}

void frmOverLimit::placeButtons() {
  cmdSave.Left = 130;
  cmdSave.Top = 344;
  cmdCancel.Left = 224;
  cmdCancel.Top = 344;
}
