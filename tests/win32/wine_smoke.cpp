// Drives folverra.dll as the browser would, through the class registry, on a real (or Wine's)
// COM and window system. Argument: the folder of the registered DLL.
#include <cstdio>

#include "check.h"
#include "platform/com.h"
#include "runtime/guard.h"

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

int failures() {
  return g_failures;
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: wine_smoke <folder of folverra.dll>\n");
    return 2;
  }
  platform::setBoundaryReporter(&countAtBoundary);
  if (FAILED(CoInitialize(nullptr))) {
    std::printf("FAIL: CoInitialize\n");
    return 1;
  }
  smoke::runPortChecks();
  smoke::runHttpChecks();
  smoke::runHtmlChecks();
  smoke::runBrowserEventChecks();
  smoke::runControlChecks();
  smoke::runBandChecks(argv[1]);
  CoUninitialize();
  std::fflush(stdout);
  return smoke::failures() == 0 ? 0 : 1;
}
