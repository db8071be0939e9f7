#include "platform/com.h"

#include <cstdio>

#include "win32/module.h"
#include "win32/wide.h"

namespace com {
namespace {

// One registry key under HKEY_CLASSES_ROOT with its default value and, optionally, one named
// value.
struct RegistryEntry {
  std::string key;
  std::string value;
  const char* name = nullptr;
  std::string namedValue;
};

LONG setString(HKEY key, const wchar_t* name, const std::string& value) {
  const std::wstring text = win32::wide(value);
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LONG writeEntry(const RegistryEntry& entry) {
  HKEY key = nullptr;
  LONG rc = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, win32::wide(entry.key).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = setString(key, nullptr, entry.value);
  if (rc == ERROR_SUCCESS && entry.name)
    rc = setString(key, win32::wide(entry.name).c_str(), entry.namedValue);
  ::RegCloseKey(key);
  return rc;
}

LONG removeTree(const std::string& key) {
  const LONG rc = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, win32::wide(key).c_str());
  return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

std::string clsidKey(const ServerClass& entry) {
  return "CLSID\\" + guidToString(entry.clsid);
}

}  // namespace

std::string guidToString(const GUID& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

GUID CLSIDFromString(const std::string& text) {
  CLSID clsid{};
  platform::check(::CLSIDFromString(win32::wide(text).c_str(), &clsid));
  return clsid;
}

CLSID CLSIDFromProgID(const std::string& progId) {
  CLSID clsid{};
  platform::check(::CLSIDFromProgID(win32::wide(progId).c_str(), &clsid));
  return clsid;
}

// Any kind of server, as the run-time's CreateObject: a new browser window is out of process.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID riid, void** ppv) {
  return ::CoCreateInstance(clsid, outer, CLSCTX_SERVER, riid, ppv);
}

HRESULT RegisterServerClass(const ServerClass& entry) {
  const std::string clsid = guidToString(entry.clsid);
  const std::string module = win32::narrow(win32::ModulePath().c_str());
  const RegistryEntry entries[] = {
      {clsidKey(entry), entry.description, nullptr, {}},
      {clsidKey(entry) + "\\InprocServer32", module, "ThreadingModel", "Apartment"},
      {clsidKey(entry) + "\\ProgID", entry.progId, nullptr, {}},
      {entry.progId, entry.description, nullptr, {}},
      {entry.progId + "\\CLSID", clsid, nullptr, {}},
  };
  for (const RegistryEntry& e : entries)
    if (writeEntry(e) != ERROR_SUCCESS) return SELFREG_E_CLASS;
  return S_OK;
}

HRESULT UnregisterServerClass(const ServerClass& entry) {
  const bool removed = removeTree(clsidKey(entry)) == ERROR_SUCCESS &&
                       (entry.progId.empty() || removeTree(entry.progId) == ERROR_SUCCESS);
  return removed ? S_OK : SELFREG_E_CLASS;
}

}  // namespace com
