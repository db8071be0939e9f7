// Drives folverra.dll as the browser would, through the class registry, on a real (or Wine's)
// COM and window system. One group of checks a process, so that a crash in one cannot hide the
// others: `wine_smoke --list` names the groups, `wine_smoke GROUP FOLDER` runs one against the
// DLL registered from FOLDER.
#include <cstdio>
#include <cstring>

#include "check.h"
#include "platform/com.h"
#include "platform/guard.h"

namespace smoke {
namespace {
int g_failures = 0;
int* g_boundaryCatches = nullptr;
}  // namespace

bool expect(bool ok, const std::string& what) {
  if (!ok) {
    ++g_failures;
    std::printf("FAIL: %s\n", what.c_str());
  }
  return ok;
}

void countBoundaryCatches(int* counter) {
  g_boundaryCatches = counter;
}

}  // namespace smoke

namespace {

// The ports linked into this program have no error log to write to.
void countAtBoundary(std::string_view entry, const platform::Error& error) noexcept {
  if (smoke::g_boundaryCatches) {
    ++*smoke::g_boundaryCatches;
    return;
  }
  smoke::expect(false,
                std::string(entry) + " let error " + std::to_string(error.number) + " through");
}

// Says what ended the process before it ends with the exception's code; without it Wine would
// start its debugger. Written straight to the handle: the crash may hold the C runtime's locks.
LONG WINAPI reportCrash(EXCEPTION_POINTERS* e) {
  char line[80];
  const int n =
      std::snprintf(line, sizeof line, "crashed: exception 0x%08lX at %p\n",
                    e->ExceptionRecord->ExceptionCode, e->ExceptionRecord->ExceptionAddress);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(n), &written, nullptr);
  return EXCEPTION_EXECUTE_HANDLER;
}

const struct {
  const char* name;
  void (*run)(const std::string& dllFolder);
} kGroups[] = {
    {"ports", [](const std::string&) { smoke::runPortChecks(); }},
    {"http", [](const std::string&) { smoke::runHttpChecks(); }},
    {"html", [](const std::string&) { smoke::runHtmlChecks(); }},
    {"browser-events", [](const std::string&) { smoke::runBrowserEventChecks(); }},
    {"controls", [](const std::string&) { smoke::runControlChecks(); }},
    {"band", smoke::runBandChecks},
};

}  // namespace

int main(int argc, char** argv) {
  platform::setBoundaryReporter(&countAtBoundary);
  SetUnhandledExceptionFilter(&reportCrash);
  // Unbuffered, so that what a group said before it crashed is not lost.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const auto& g : kGroups) std::printf("%s\n", g.name);
    return 0;
  }
  for (const auto& g : kGroups) {
    if (argc != 3 || std::strcmp(argv[1], g.name) != 0) continue;
    if (FAILED(CoInitialize(nullptr))) {
      std::printf("FAIL: CoInitialize\n");
      return 1;
    }
    smoke::attempt(g.name, [&] { g.run(argv[2]); });
    CoUninitialize();
    return smoke::g_failures == 0 ? 0 : 1;
  }
  std::printf("usage: wine_smoke --list | wine_smoke GROUP <folder of folverra.dll>\n");
  return 2;
}
