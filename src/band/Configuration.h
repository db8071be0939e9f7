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

// Only the headless platform calls this, to point the product at its loopback stand-in.
void ReplaceServiceHosts(const ServiceHosts& hosts);
