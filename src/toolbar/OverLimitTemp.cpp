// Until the over-limit dialogs land, a clip over the sharing limit is neither posted nor offered
// anything: clipping stays on, as it does after the dialogs' "Edit Clip".
#include "toolbar/frmToolband.h"

void ShowOverLimit(bool) {}
