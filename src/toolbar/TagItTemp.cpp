// Until the service exchange lands: a choice in the done-clipping dialog only closes the dialog,
// and saving privately posts nothing. The exchange replaces this file.
#include "dialogs/frmDoneClipping.h"
#include "runtime/form.h"
#include "toolbar/frmToolband.h"

void frmToolband::TagIt(VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL) {
  ui::Instance<frmDoneClipping>::Unload();
}

void frmToolband::PostClip() {}
