#include "page/mdlWindowProxy.h"

#include <limits>
#include <string>

#include "band/Reporter.h"
#include "clip/mdlClip.h"
#include "page/SharedReferences.h"
#include "page/WindowProxy.h"

namespace {

constexpr Reporter kReporter{kProjectName, "mdlWindowProxy"};

using Proxies = std::vector<std::shared_ptr<WindowProxy>>;

struct Registry {
  Proxies proxies{nullptr};
  std::int32_t count = 0;
};

Registry& registry() {
  thread_local Registry r;
  return r;
}

// Entries past the end read as empty: a cleanup may shrink the list under the walk.
std::shared_ptr<WindowProxy> entry(std::int32_t index) {
  const Proxies& proxies = registry().proxies;
  return static_cast<std::size_t>(index) < proxies.size() ? proxies[index] : nullptr;
}

void clearSharedReferences() {
  ClearBorderReferences();
  g_CurrentElement() = {};
  g_HighlightElement() = {};
}

}  // namespace

const Proxies& g_Proxies() {
  return registry().proxies;
}

std::int32_t g_ProxyCount() {
  return registry().count;
}

void AddProxy(const std::shared_ptr<WindowProxy>& proxy) {
  kReporter.guard("AddProxy()", [&] {
    Registry& r = registry();
    if (r.count == std::numeric_limits<std::int32_t>::max()) platform::raise(platform::kOverflow);
    r.proxies.push_back(proxy);
    ++r.count;
  });
}

void RemoveProxy(const WindowProxy* proxy) {
  kReporter.guard("RemoveProxy()", [&] {
    Registry& r = registry();
    Proxies kept{nullptr};
    for (std::int32_t i = 1; i <= r.count; ++i)
      if (r.proxies[i].get() != proxy) kept.push_back(r.proxies[i]);
    // The old list goes only once the new one is in place: releasing a proxy may run its
    // destructor, which must find the registry consistent.
    Proxies old = std::exchange(r.proxies, std::move(kept));
    r.count = static_cast<std::int32_t>(r.proxies.size() - 1);
  });
}

void ProxyCleanup() {
  const std::int32_t first = 0;
  const std::int32_t last = registry().count;
  std::int32_t index = last;
  kReporter.guard(
      "ProxyCleanup()",
      [&](std::string_view routine, const platform::Error& error) {
        kReporter.ReportError(
            routine, error,
            std::to_string(index) + " - " + std::to_string(first) + " - " + std::to_string(last));
      },
      [&] {
        for (; index >= first; --index)
          if (const auto proxy = entry(index)) proxy->Cleanup();
        clearSharedReferences();
      });
}

// Emptying the clip builder's list of clipped elements joins this sweep with the clip builder.
void ClearAllHighlights() {
  const Proxies proxies = registry().proxies;
  for (const auto& proxy : proxies)
    if (proxy) proxy->ClearOverlays();
  ResetClippedElements();
}
