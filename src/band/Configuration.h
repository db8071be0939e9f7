// The product's configuration: where the Folverra service lives. Addresses are plain http.
#pragma once

#include <string>
#include <string_view>

struct ServiceHosts {
  std::string web;            // pages, the clip save, the home page
  std::string feed;           // popular clips
  std::string content;        // the supported-video list
  std::string staticContent;  // pictures laid into clipped pages
  std::string facebookApp;    // Facebook's application host
  std::string domainCaption;  // the menu item that opens the home page
};

ServiceHosts Service();
// "http://" host path
std::string ServiceAddress(std::string_view host, std::string_view path);
// The web host's root.
std::string ServiceHome();

// Every host at one address ("127.0.0.1:8080"), as the command and the tests run the product
// against the loopback stand-in; the domain caption stays the product's.
ServiceHosts ServiceHostsAt(std::string_view address);
void ReplaceServiceHosts(const ServiceHosts& hosts);
