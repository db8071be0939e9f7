// The proxy registry: the one lasting reference to every live WindowProxy of this browser
// thread, in the order the proxies attached.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class WindowProxy;

// Entry 0 is never filled; entries 1 to g_ProxyCount() are the registered proxies.
const std::vector<std::shared_ptr<WindowProxy>>& g_Proxies();
std::int32_t g_ProxyCount();

void AddProxy(const std::shared_ptr<WindowProxy>& proxy);
// Removes every entry that is this very proxy, keeping the others in order.
void RemoveProxy(const WindowProxy* proxy);
// Cleans up every proxy, last registered first, then drops the shared page references.
void ProxyCleanup();
// Takes the clip overlays off every registered page and empties the list of elements clipped
// whole.
void ClearAllHighlights();
