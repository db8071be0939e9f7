#include "cli/session.h"

#include <filesystem>
#include <optional>
#include <iostream>

#include <unistd.h>

#include "band/Configuration.h"
#include "band/Server.h"
#include "standin/standin.h"

namespace cli {
namespace {

std::string reasonFor(long status) {
  switch (status) {
    case headless::kInetSecurityProblem:
      return "only 127.0.0.1, localhost and [::1] are contacted";
    case headless::kInetUnknownProtocol:
      return "only file: and http: addresses are opened";
    case headless::kInetInvalidUrl:
      return "not a valid address";
    case headless::kInetObjectNotFound:
      return "cannot read it";
    case headless::kInetCannotConnect:
      return "no server answers there";
    default:
      return status > 0 ? "the server answered " + std::to_string(status) : "the download failed";
  }
}

int run(const std::string& page, const std::function<int(headless::BrowserWindow&)>& body) {
  if (FAILED(DllRegisterServer())) {
    std::cerr << "folverra: the toolbar classes could not be registered\n";
    return 1;
  }
  headless::BrowserWindow window;
  const HRESULT hr = window.AddBand(kToolBarProgId);
  if (FAILED(hr)) {
    std::cerr << "folverra: the band could not be sited (HRESULT " << hr << ")\n";
    return 1;
  }
  if (!window.Load(addressOf(page))) {
    std::cerr << "folverra: cannot open '" << page << "': " << reasonFor(window.lastNavigateError())
              << '\n';
    return 2;
  }
  return body(window);
}

}  // namespace

std::string addressOf(const std::string& page) {
  if (page.find("://") != std::string::npos) return page;
  return "file://" + std::filesystem::absolute(page).lexically_normal().string();
}

int withPage(const std::string& page, const std::string& service,
             const std::function<int(headless::BrowserWindow&)>& body) {
  if (service.empty()) return withPage(page, body);
  const std::string prefix = "http://";
  std::string host = service.rfind(prefix, 0) == 0 ? service.substr(prefix.size()) : service;
  host = host.substr(0, host.find('/'));
  if (host.empty()) {
    std::cerr << "folverra: --service takes an http: address, not '" << service << "'\n";
    return 2;
  }
  const ServiceHosts product = Service();
  ReplaceServiceHosts(ServiceHostsAt(host));
  const int status = run(page.empty() ? "http://" + host + "/" : page, body);
  ReplaceServiceHosts(product);
  return status;
}

namespace {
std::optional<std::filesystem::path>& storeInUse() {
  static std::optional<std::filesystem::path> store;
  return store;
}
}  // namespace

const std::optional<std::filesystem::path>& embeddedStore() {
  return storeInUse();
}

int withPage(const std::string& page, const std::function<int(headless::BrowserWindow&)>& body) {
  const auto store =
      std::filesystem::temp_directory_path() / ("folverra-standin-" + std::to_string(::getpid()));
  standin::Server service(store);
  service.start();
  ReplaceServiceHosts(ServiceHostsAt(service.host()));
  std::string shown = page;
  if (shown.empty()) {
    std::cout << "service: " << service.url() << "/ (embedded stand-in)\n";
    shown = service.url() + "/";
  }
  storeInUse() = store;
  const int status = run(shown, body);
  storeInUse().reset();
  service.stop();
  std::error_code ignored;
  std::filesystem::remove_all(store, ignored);
  return status;
}

}  // namespace cli
