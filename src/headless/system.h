// Settings of the headless platform that tests and the command may change.
#pragma once

#include "platform/wintypes.h"

namespace headless {

// What GetVersionEx reports from now on (Windows XP, 5.1, by default).
void SetOSVersion(DWORD platformId, DWORD major, DWORD minor);

}  // namespace headless
