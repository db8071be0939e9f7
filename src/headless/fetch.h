// What a headless browser window may load and how: file: pages, and http: from a loopback host
// only. Any other host is refused before anything is resolved or sent, so a page cannot make
// the headless platform reach the network.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace headless {

// The status codes a failed navigation reports in NavigateError, as the browser's URL monikers
// report them; an HTTP error answer reports its HTTP status instead.
inline constexpr long kInetInvalidUrl = static_cast<std::int32_t>(0x800C0002u);
inline constexpr long kInetCannotConnect = static_cast<std::int32_t>(0x800C0004u);
inline constexpr long kInetObjectNotFound = static_cast<std::int32_t>(0x800C0006u);
inline constexpr long kInetDownloadFailure = static_cast<std::int32_t>(0x800C0008u);
inline constexpr long kInetUnknownProtocol = static_cast<std::int32_t>(0x800C000Du);
// A host that is not loopback: refused by the headless platform's policy.
inline constexpr long kInetSecurityProblem = static_cast<std::int32_t>(0x800C000Eu);

enum class ResourceKind { Html, Xml, Other };

struct Fetched {
  long status = 0;  // 0 when it was fetched, else what NavigateError reports
  std::string url;  // where it came from, after redirects
  ResourceKind kind = ResourceKind::Html;
  std::string body;
  std::string charset;  // what the Content-Type header says the body is in; empty for a file
};

// An address as the address bar would take it: a path becomes a file: URL.
std::string normalizeUrl(std::string_view address);
// ref relative to base, as a frame's src or a link's href is resolved. An absolute ref, or
// one against a base without a hierarchical path (about:blank), comes back as written, less
// surrounding white space.
std::string resolveUrl(std::string_view base, std::string_view ref);
bool isLoopbackHost(std::string_view hostname);
// Why url may not be fetched (a status as above), or 0 when it may.
long refusal(std::string_view url);

Fetched fetch(const std::string& url);

}  // namespace headless
