#include "runtime/guard.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace platform {
namespace {

void reportToStderr(std::string_view entry, const Error& error) noexcept {
  std::fprintf(stderr, "folverra: %.*s: error %d: %s\n", static_cast<int>(entry.size()),
               entry.data(), static_cast<int>(error.number), error.description.c_str());
}

std::atomic<BoundaryReporter> g_reporter{&reportToStderr};

}  // namespace

BoundaryReporter setBoundaryReporter(BoundaryReporter reporter) noexcept {
  return g_reporter.exchange(reporter ? reporter : &reportToStderr);
}

void reportAtBoundary(std::string_view entry, const Error& error) noexcept {
  g_reporter.load()(entry, error);
}

}  // namespace platform
