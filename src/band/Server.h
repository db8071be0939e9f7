// The COM server: class identities, the class objects and self-registration.
#pragma once

#include <atomic>

#include "platform/com.h"

// {6B1F4A52-3C8E-4E0B-9F1D-2A7C5E9B4D10}
FOLVERRA_MAKE_GUID(CLSID_ToolBar, 0x6B1F4A52, 0x3C8E, 0x4E0B, 0x9F, 0x1D, 0x2A, 0x7C, 0x5E, 0x9B,
                   0x4D, 0x10);
// {6B1F4A53-3C8E-4E0B-9F1D-2A7C5E9B4D10}
FOLVERRA_MAKE_GUID(CLSID_Clipper, 0x6B1F4A53, 0x3C8E, 0x4E0B, 0x9F, 0x1D, 0x2A, 0x7C, 0x5E, 0x9B,
                   0x4D, 0x10);
// The identity under which the installed band is known to the browser.
inline constexpr const char* kToolBarClsidText = "{6B1F4A52-3C8E-4E0B-9F1D-2A7C5E9B4D10}";
inline constexpr const char* kToolBarProgId = "Folverra.Toolbar";
inline constexpr const char* kClipperProgId = "Folverra.Clipper";

// Live objects and server locks; the module may unload only at zero.
std::atomic<long>& ServerLocks();

// Counts an object of the server for as long as it lives.
struct ServerObject {
  ServerObject() { ++ServerLocks(); }
  ~ServerObject() { --ServerLocks(); }
  ServerObject(const ServerObject&) = delete;
  ServerObject& operator=(const ServerObject&) = delete;
};

#ifdef _WIN32
#define FOLVERRA_SERVER_ENTRY STDAPI
#else
#define FOLVERRA_SERVER_ENTRY extern "C" HRESULT
FOLVERRA_SERVER_ENTRY DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
FOLVERRA_SERVER_ENTRY DllCanUnloadNow();
FOLVERRA_SERVER_ENTRY DllRegisterServer();
FOLVERRA_SERVER_ENTRY DllUnregisterServer();
#endif
