// What both http ports share: the address check done before anything is contacted, the
// failures the request raises, and the per-thread mailbox through which the port hands
// completions back to the thread that opened a request.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/wintypes.h"

namespace http::support {

struct Address {
  std::string host;  // as written, brackets of an IPv6 literal removed
  int port = 80;
  std::string target = "/";  // path and query
};

// An absolute http: address without user name or password; nullopt for anything else.
std::optional<Address> parseAddress(std::string_view url);
// Only these hosts are ever contacted; no name is looked up to decide.
bool isLoopback(std::string_view host);

// open() with an address it cannot use: E_INVALIDARG, as MSXML answers a bad URL.
[[noreturn]] void raiseBadAddress();
// Reading the answer before it is there: E_PENDING, "The data necessary to complete this
// operation is not yet available."
[[noreturn]] void raisePending();
// Reading the answer of an exchange that never reached a server (refused host, connection
// refused, timeout): INET_E_RESOURCE_NOT_FOUND, as MSXML reports a connection failure.
[[noreturn]] void raiseNotFound();

// The calling thread's hidden mailbox window, created on first use and destroyed when the
// thread ends.
HWND threadMailbox();
// Runs work on the mailbox's thread from its message queue. False, with work dropped at once,
// when the window is gone; work still queued when the window goes is dropped unrun.
bool post(HWND mailbox, std::function<void()> work);

}  // namespace http::support
