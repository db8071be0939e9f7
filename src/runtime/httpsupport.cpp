#include "runtime/httpsupport.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "runtime/error.h"
#include "runtime/guard.h"
#include "runtime/strings.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace http::support {
namespace {

constexpr std::string_view kScheme = "http://";
constexpr const char* kSource = "msxml3.dll";
constexpr std::int32_t kPending = static_cast<std::int32_t>(0x8000000Au);
constexpr std::int32_t kResourceNotFound = static_cast<std::int32_t>(0x800C0005u);

[[noreturn]] void raiseWith(std::int32_t hr, std::string description) {
  throw platform::Error(hr, kSource, std::move(description), sys::GetLastError());
}

bool allOf(std::string_view s, int (*accept)(int), std::string_view extra) {
  return std::all_of(s.begin(), s.end(), [&](char c) {
    return accept(static_cast<unsigned char>(c)) || extra.find(c) != std::string_view::npos;
  });
}

std::optional<int> parsePort(std::string_view digits) {
  if (digits.empty() || digits.size() > 5 || !allOf(digits, ::isdigit, "")) return std::nullopt;
  const int port = std::stoi(std::string(digits));
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

// host[:port] or [v6]:port; false when either part is not plausible.
bool splitAuthority(std::string_view authority, Address& a) {
  std::string_view host = authority;
  std::optional<std::string_view> port;
  if (!authority.empty() && authority.front() == '[') {
    const auto close = authority.find(']');
    if (close == std::string_view::npos) return false;
    host = authority.substr(1, close - 1);
    std::string_view rest = authority.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return false;
    if (!rest.empty()) port = rest.substr(1);
    if (!allOf(host, ::isxdigit, ":.")) return false;
  } else {
    const auto colon = authority.rfind(':');
    if (colon != std::string_view::npos) {
      host = authority.substr(0, colon);
      port = authority.substr(colon + 1);
    }
    if (!allOf(host, ::isalnum, "-._")) return false;
  }
  if (host.empty()) return false;
  a.host = std::string(host);
  if (port) {
    const auto value = parsePort(*port);
    if (!value) return false;
    a.port = *value;
  }
  return true;
}

// Completions are kept here, not in the messages, so that one whose window is gone is freed
// instead of being lost in a queue nobody reads.
struct Box {
  std::mutex mutex;
  std::map<LPARAM, std::pair<HWND, std::function<void()>>> pending;
  LPARAM next = 1;
};

constexpr UINT kDeliver = WM_APP + 0x148;
constexpr const char* kMailboxClass = "FolverraHttpMailbox";

// Never destroyed: the port's worker may still post while the process exits.
Box& box() {
  static Box* b = new Box;
  return *b;
}

std::function<void()> take(LPARAM id) {
  Box& b = box();
  std::lock_guard lock(b.mutex);
  auto it = b.pending.find(id);
  if (it == b.pending.end()) return {};
  std::function<void()> work = std::move(it->second.second);
  b.pending.erase(it);
  return work;
}

void dropAll(HWND mailbox) {
  std::vector<std::function<void()>> doomed;  // destroyed after the lock is released
  Box& b = box();
  std::lock_guard lock(b.mutex);
  for (auto it = b.pending.begin(); it != b.pending.end();) {
    if (it->second.first == mailbox) {
      doomed.push_back(std::move(it->second.second));
      it = b.pending.erase(it);
    } else {
      ++it;
    }
  }
}

LRESULT CALLBACK mailboxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kDeliver) {
    return platform::boundary("XMLHTTP onreadystatechange", LRESULT{0}, [&] {
      if (auto work = take(lParam)) work();
      return LRESULT{0};
    });
  }
  if (msg == WM_DESTROY) dropAll(hwnd);
  return ui::DefWindowProc(hwnd, msg, wParam, lParam);
}

struct OwnMailbox {
  HWND hwnd = nullptr;
  ~OwnMailbox() {
    if (hwnd) ui::DestroyWindow(hwnd);
  }
};

}  // namespace

std::optional<Address> parseAddress(std::string_view url) {
  if (url.size() < kScheme.size() ||
      !platform::equalsNoCase(url.substr(0, kScheme.size()), kScheme))
    return std::nullopt;
  if (!std::all_of(url.begin(), url.end(),
                   [](char c) { return static_cast<unsigned char>(c) > 0x20 && c != 0x7F; }))
    return std::nullopt;
  url.remove_prefix(kScheme.size());
  url = url.substr(0, url.find('#'));
  const auto end = url.find_first_of("/?");
  const std::string_view authority = url.substr(0, end);
  Address a;
  if (authority.find('@') != std::string_view::npos || !splitAuthority(authority, a))
    return std::nullopt;
  if (end != std::string_view::npos) {
    const std::string_view rest = url.substr(end);
    a.target = rest.front() == '?' ? std::string("/").append(rest) : std::string(rest);
  }
  return a;
}

bool isLoopback(std::string_view host) {
  return host == "127.0.0.1" || host == "::1" || platform::equalsNoCase(host, "localhost");
}

void raiseBadAddress() {
  raiseWith(E_INVALIDARG, "The parameter is incorrect");
}

void raisePending() {
  raiseWith(kPending, "The data necessary to complete this operation is not yet available.");
}

void raiseNotFound() {
  raiseWith(kResourceNotFound, "The system cannot locate the resource specified.");
}

HWND threadMailbox() {
  thread_local OwnMailbox own;
  if (!own.hwnd || !ui::IsWindow(own.hwnd)) {
    ui::RegisterWindowClass(kMailboxClass, &mailboxProc);
    own.hwnd = ui::CreateWindowEx(0, kMailboxClass, "", 0, 0, 0, 0, 0, nullptr);
    if (!own.hwnd) platform::raise(platform::kOutOfMemory);
  }
  return own.hwnd;
}

bool post(HWND mailbox, std::function<void()> work) {
  Box& b = box();
  LPARAM id;
  {
    std::lock_guard lock(b.mutex);
    id = b.next++;
    b.pending.emplace(id, std::make_pair(mailbox, std::move(work)));
  }
  if (ui::PostMessage(mailbox, kDeliver, 0, id)) return true;
  take(id);
  return false;
}

}  // namespace http::support
