#pragma once

#include <windows.h>

// A new IWebBrowser2 with one reference, whose HWND is window; null when out of memory. Given
// events (an IUnknown), it answers IConnectionPointContainer through that object.
void* NewFakeBrowser(HWND window, void* events = nullptr);
