// Until the mode switch lands: keeps the value and, when clipping ends, takes the clip bar down,
// which is all the clip bar relies on.
#include "dialogs/frmClipBar.h"
#include "toolbar/frmToolband.h"

void frmToolband::setLumoraMode(std::int16_t value) {
  bLumoraMode = value;
  if (value == 0) ui::Instance<frmClipBar>::Unload();
}
