// The regexp port on VBScript's RegExp object, reached late-bound as a script reaches it; its
// failures come out as the run-time numbers it raised.
#include "platform/regexp.h"

#include "platform/com.h"
#include "win32/dispatch.h"

namespace regexp {

struct RegExpImpl {
  com::Ptr<IDispatch> object;
};

namespace {

constexpr const char* kProgId = "VBScript.RegExp";

}  // namespace

RegExp RegExp::Create() {
  auto impl = std::make_shared<Impl>();
  const CLSID clsid = com::CLSIDFromProgID(kProgId);
  platform::check(com::CoCreateInstance(clsid, nullptr, IID_IDispatch, impl->object.putVoid()));
  return RegExp(std::move(impl));
}

std::string RegExp::Pattern() const {
  return win32::get(self().object, "Pattern").text();
}

void RegExp::setPattern(const std::string& pattern) {
  win32::put(self().object, "Pattern", win32::Value(pattern));
}

bool RegExp::Global() const {
  return win32::get(self().object, "Global").flag();
}

void RegExp::setGlobal(bool global) {
  win32::put(self().object, "Global", win32::Value::flag(global));
}

bool RegExp::IgnoreCase() const {
  return win32::get(self().object, "IgnoreCase").flag();
}

void RegExp::setIgnoreCase(bool ignoreCase) {
  win32::put(self().object, "IgnoreCase", win32::Value::flag(ignoreCase));
}

bool RegExp::Test(const std::string& source) const {
  return win32::call(self().object, "Test", {win32::Value(source)}).flag();
}

std::string RegExp::Replace(const std::string& source, const std::string& replacement) const {
  return win32::call(self().object, "Replace", {win32::Value(source), win32::Value(replacement)})
      .text();
}

}  // namespace regexp
