#include "headless/service.h"

#include <string>

#include "band/Configuration.h"

namespace headless {

void UseLoopbackService(int port) {
  ServiceHosts hosts = Service();
  const std::string loopback = "127.0.0.1:" + std::to_string(port);
  for (std::string* host :
       {&hosts.web, &hosts.feed, &hosts.content, &hosts.staticContent, &hosts.facebookApp})
    *host = loopback;
  ReplaceServiceHosts(hosts);
}

}  // namespace headless
