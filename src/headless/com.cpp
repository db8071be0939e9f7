// The headless class registry: what DllRegisterServer writes, CoCreateInstance reads, as the
// Windows registry and COM's activation would.
#include "platform/com.h"

#include <cstdio>
#include <map>
#include <mutex>

#include "runtime/strings.h"

namespace com {
namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, ServerClass> byClsid;  // key: guidToString
  std::map<std::string, std::string> progIds;  // lower-case ProgID -> CLSID text
};

Registry& registry() {
  static Registry r;
  return r;
}

bool parseHex(const std::string& text, std::size_t pos, std::size_t digits, std::uint64_t& out) {
  out = 0;
  for (std::size_t i = pos; i < pos + digits; ++i) {
    const char c = text[i];
    int v;
    if (c >= '0' && c <= '9')
      v = c - '0';
    else if (c >= 'a' && c <= 'f')
      v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      v = c - 'A' + 10;
    else
      return false;
    out = out * 16 + static_cast<std::uint64_t>(v);
  }
  return true;
}

}  // namespace

std::string guidToString(const GUID& g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

GUID CLSIDFromString(const std::string& text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  static constexpr std::size_t kDashes[] = {9, 14, 19, 24};
  bool ok = text.size() == 38 && text.front() == '{' && text.back() == '}';
  for (std::size_t d : kDashes) ok = ok && text[d] == '-';
  GUID g{};
  std::uint64_t v = 0;
  ok = ok && parseHex(text, 1, 8, v);
  g.Data1 = static_cast<std::uint32_t>(v);
  ok = ok && parseHex(text, 10, 4, v);
  g.Data2 = static_cast<std::uint16_t>(v);
  ok = ok && parseHex(text, 15, 4, v);
  g.Data3 = static_cast<std::uint16_t>(v);
  static constexpr std::size_t kBytes[] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8 && ok; ++i) {
    ok = parseHex(text, kBytes[i], 2, v);
    g.Data4[i] = static_cast<std::uint8_t>(v);
  }
  if (!ok) platform::raiseHResult(CO_E_CLASSSTRING);
  return g;
}

CLSID CLSIDFromProgID(const std::string& progId) {
  std::string clsid;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.progIds.find(platform::lowerAscii(progId));
    if (it == r.progIds.end()) platform::raiseHResult(CO_E_CLASSSTRING);
    clsid = it->second;
  }
  return CLSIDFromString(clsid);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  HRESULT (*getClassObject)(REFCLSID, REFIID, void**) = nullptr;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.byClsid.find(guidToString(clsid));
    if (it == r.byClsid.end()) return REGDB_E_CLASSNOTREG;
    getClassObject = it->second.getClassObject;
  }
  if (!getClassObject) return REGDB_E_CLASSNOTREG;
  IClassFactory* factory = nullptr;
  HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(outer, riid, ppv);
  factory->Release();
  return hr;
}

HRESULT RegisterServerClass(const ServerClass& entry) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  const std::string key = guidToString(entry.clsid);
  r.byClsid[key] = entry;
  if (!entry.progId.empty()) r.progIds[platform::lowerAscii(entry.progId)] = key;
  return S_OK;
}

HRESULT UnregisterServerClass(const ServerClass& entry) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.byClsid.erase(guidToString(entry.clsid));
  if (!entry.progId.empty()) r.progIds.erase(platform::lowerAscii(entry.progId));
  return S_OK;
}

}  // namespace com
