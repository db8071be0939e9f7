#pragma once

#include <windows.h>

// A new IWebBrowser2 with one reference, whose HWND is window; null when out of memory.
void* NewFakeBrowser(HWND window);
