// Pages for the tests: a document parsed from markup, or fixed pages served over HTTP.
#pragma once

#include <httplib.h>

#include <map>
#include <string>
#include <thread>
#include <initializer_list>
#include <utility>

#include "headless/dom.h"

namespace testing_support {

// A document of its own holding the markup, at an address of the loopback.
inline html::Document page(std::string_view markup) {
  return headless::dom::newDocument(markup, "http://127.0.0.1:8080/dir/page.htm?x=1#top");
}

// Serves fixed pages on 127.0.0.1 from a port of its own.
class PageServer {
 public:
  // Path to markup, each served as contentType; any other path answers 404.
  explicit PageServer(std::initializer_list<std::pair<const std::string, std::string>> pages,
                      std::string contentType = "text/html")
      : pages_(pages), contentType_(std::move(contentType)) {
    server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
      const auto page = pages_.find(req.path);
      if (page == pages_.end())
        res.status = 404;
      else
        res.set_content(page->second, contentType_);
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() does nothing to a server not yet running, so it must run before anyone stops it.
    while (port_ > 0 && !server_.is_running()) std::this_thread::yield();
  }
  ~PageServer() {
    server_.stop();
    thread_.join();
  }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  std::map<std::string, std::string> pages_;
  std::string contentType_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace testing_support
