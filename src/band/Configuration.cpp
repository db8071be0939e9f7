#include "band/Configuration.h"

#include <mutex>

namespace {

struct Slot {
  std::mutex mutex;
  ServiceHosts hosts{"www.folverra.com",    "feeds.folverra.com", "content.folverra.com",
                     "static.folverra.com", "apps.facebook.com",  "Folverra.com"};
};

Slot& slot() {
  static Slot s;
  return s;
}

}  // namespace

ServiceHosts Service() {
  std::lock_guard lock(slot().mutex);
  return slot().hosts;
}

std::string ServiceAddress(std::string_view host, std::string_view path) {
  return "http://" + std::string(host) + std::string(path);
}

std::string ServiceHome() {
  return ServiceAddress(Service().web, "/");
}

ServiceHosts ServiceHostsAt(std::string_view address) {
  ServiceHosts hosts = Service();
  for (std::string* host :
       {&hosts.web, &hosts.feed, &hosts.content, &hosts.staticContent, &hosts.facebookApp})
    *host = address;
  return hosts;
}

void ReplaceServiceHosts(const ServiceHosts& hosts) {
  std::lock_guard lock(slot().mutex);
  slot().hosts = hosts;
}
