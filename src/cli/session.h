// What every command that shows a page shares: the service stand-in in this process, a headless
// browser window with the band sited, the page loaded in it.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "headless/browser.h"

namespace cli {

// A path or a file: URL becomes a file: URL; any other address stays as it is.
std::string addressOf(const std::string& page);

// Starts the stand-in on a free loopback port, its clips in a fresh folder, sites the band in a
// new window and loads page (the stand-in's home page when empty), then runs body on the window.
// Returns body's status, 2 when the page cannot be opened, 1 when the band cannot be sited.
int withPage(const std::string& page, const std::function<int(headless::BrowserWindow&)>& body);
// The same on a service already running at service ("http://HOST:PORT"); the embedded stand-in
// when service is empty.
int withPage(const std::string& page, const std::string& service,
             const std::function<int(headless::BrowserWindow&)>& body);

// The folder the embedded stand-in keeps its clips in while it runs; nothing on another service.
const std::optional<std::filesystem::path>& embeddedStore();

}  // namespace cli
