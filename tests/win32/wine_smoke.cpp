// Drives folverra.dll as the browser would, through the class registry, on a real (or Wine's)
// COM and window system. Argument: the folder of the registered DLL.
#include <cstdio>

#include "check.h"
#include "platform/com.h"
#include "platform/guard.h"

namespace smoke {
namespace {
int g_failures = 0;
}

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

}  // namespace smoke

// The ports linked into this program have no error log to write to.
void platform::reportAtBoundary(std::string_view entry, const Error& error) noexcept {
  std::printf("FAIL: %.*s let error %d through\n", static_cast<int>(entry.size()), entry.data(),
              static_cast<int>(error.number));
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: wine_smoke <folder of folverra.dll>\n");
    return 2;
  }
  if (FAILED(CoInitialize(nullptr))) {
    std::printf("FAIL: CoInitialize\n");
    return 1;
  }
  smoke::runPortChecks();
  smoke::runHttpChecks();
  smoke::runHtmlChecks();
  smoke::runControlChecks();
  smoke::runBandChecks(argv[1]);
  CoUninitialize();
  std::fflush(stdout);
  return smoke::failures() == 0 ? 0 : 1;
}
