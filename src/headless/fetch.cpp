#include "headless/fetch.h"

#include <httplib.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <vector>

#include "runtime/httpsupport.h"
#include "runtime/strings.h"

namespace headless {
namespace {

constexpr int kConnectSeconds = 5;
constexpr int kTransferSeconds = 30;
constexpr int kMaxRedirects = 5;
constexpr std::string_view kFile = "file://";

std::string_view schemeOf(std::string_view url) {
  const auto colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0) return {};
  if (!std::isalpha(static_cast<unsigned char>(url.front()))) return {};
  for (char c : url.substr(0, colon)) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return {};
  }
  return url.substr(0, colon);
}

bool hasScheme(std::string_view url, std::string_view scheme) {
  return platform::equalsNoCase(schemeOf(url), scheme);
}

bool isBlank(std::string_view url) {
  return platform::equalsNoCase(url.substr(0, url.find_first_of("?#")), "about:blank");
}

std::string_view withoutFragment(std::string_view url) {
  return url.substr(0, url.find('#'));
}

// Where the path starts: after "scheme:" and "//authority" when there is one.
std::size_t pathStart(std::string_view url) {
  std::size_t at = schemeOf(url).size() + 1;
  if (url.substr(at, 2) != "//") return at;
  const auto end = url.find_first_of("/?#", at + 2);
  return end == std::string_view::npos ? url.size() : end;
}

// Only an address whose path starts with "/" (http://host..., file:///...) can have a
// reference resolved against it; about:blank or a data: address cannot.
bool hierarchical(std::string_view url) {
  const std::string_view scheme = schemeOf(url);
  return !scheme.empty() && url.substr(scheme.size() + 1, 1) == "/";
}

// Surrounding white space and control characters are no part of an address.
std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Removes "." and ".." segments, as relative references are resolved.
std::string removeDots(std::string_view path) {
  std::vector<std::string_view> kept;
  std::size_t at = 0;
  while (at <= path.size()) {
    const auto slash = path.find('/', at);
    const auto end = slash == std::string_view::npos ? path.size() : slash;
    const std::string_view segment = path.substr(at, end - at);
    const bool last = end == path.size();
    if (segment == "..") {
      if (kept.size() > 1) kept.pop_back();
      if (last) kept.emplace_back();
    } else if (segment == ".") {
      if (last) kept.emplace_back();
    } else {
      kept.push_back(segment);
    }
    at = end + 1;
  }
  std::string out;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i) out += '/';
    out += kept[i];
  }
  return out;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string percentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int hi = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
    const int lo = hi >= 0 ? hexValue(text[i + 2]) : -1;
    if (lo >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         platform::equalsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

ResourceKind kindOfPath(std::string_view path) {
  for (std::string_view ext : {".htm", ".html", ".hta"})
    if (endsWithNoCase(path, ext)) return ResourceKind::Html;
  if (endsWithNoCase(path, ".xml")) return ResourceKind::Xml;
  for (std::string_view ext :
       {".txt", ".png", ".gif", ".jpg", ".jpeg", ".bmp", ".ico", ".css", ".js", ".json", ".pdf"})
    if (endsWithNoCase(path, ext)) return ResourceKind::Other;
  return ResourceKind::Html;
}

ResourceKind kindOfType(std::string_view contentType) {
  const std::string type = platform::lowerAscii(contentType.substr(0, contentType.find(';')));
  if (type.empty() || type == "text/html" || type == "application/xhtml+xml")
    return ResourceKind::Html;
  if (type == "text/xml" || type == "application/xml" || endsWithNoCase(type, "+xml"))
    return ResourceKind::Xml;
  return ResourceKind::Other;
}

// The charset parameter of a Content-Type value, unquoted; empty when it has none.
std::string charsetOf(std::string_view contentType) {
  for (auto at = contentType.find(';'); at != std::string_view::npos;) {
    const auto next = contentType.find(';', at + 1);
    const std::string_view parameter =
        contentType.substr(at + 1, next == std::string_view::npos ? next : next - at - 1);
    at = next;
    const auto equals = parameter.find('=');
    if (equals == std::string_view::npos ||
        !platform::equalsNoCase(trimmed(parameter.substr(0, equals)), "charset"))
      continue;
    std::string_view value = trimmed(parameter.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return std::string(value);
  }
  return {};
}

Fetched nothingFrom(const std::string& url, long status) {
  Fetched f;
  f.url = url;
  f.status = status;
  return f;
}

Fetched readFile(const std::string& url) {
  std::string_view rest = withoutFragment(url);
  rest.remove_prefix(kFile.size());
  rest = rest.substr(0, rest.find('?'));
  const std::string path = percentDecoded(rest);
  std::ifstream in(path, std::ios::binary);
  Fetched f;
  f.url = url;
  f.kind = kindOfPath(path);
  if (in) f.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) f.status = kInetObjectNotFound;
  return f;
}

// "localhost" is connected to as 127.0.0.1: no name is ever looked up.
std::string connectHost(const std::string& host) {
  return platform::equalsNoCase(host, "localhost") ? "127.0.0.1" : host;
}

Fetched get(const std::string& url, const http::support::Address& a) {
  httplib::Client client(connectHost(a.host), a.port);
  client.set_connection_timeout(kConnectSeconds);
  client.set_read_timeout(kTransferSeconds);
  client.set_follow_location(false);
  Fetched f;
  f.url = url;
  auto result = client.Get(a.target);
  if (!result) {
    f.status =
        result.error() == httplib::Error::Connection ? kInetCannotConnect : kInetDownloadFailure;
    return f;
  }
  const std::string contentType = result->get_header_value("Content-Type");
  f.kind = kindOfType(contentType);
  f.charset = charsetOf(contentType);
  f.body = std::move(result->body);
  if (result->status >= 300 && result->status < 400 && result->has_header("Location"))
    f.url = resolveUrl(url, result->get_header_value("Location"));
  else if (result->status >= 400)
    f.status = result->status;
  return f;
}

}  // namespace

std::string normalizeUrl(std::string_view address) {
  if (!address.empty() && address.front() == '/') return std::string(kFile) + std::string(address);
  return std::string(address);
}

std::string resolveUrl(std::string_view base, std::string_view ref) {
  ref = trimmed(ref);
  if (!schemeOf(ref).empty() || !hierarchical(base)) return std::string(ref);
  base = withoutFragment(base);
  if (ref.empty()) return std::string(base);
  if (ref.front() == '#') return std::string(base) + std::string(ref);
  const std::string scheme(schemeOf(base));
  if (ref.substr(0, 2) == "//") return scheme + ":" + std::string(ref);
  const std::size_t start = pathStart(base);
  const std::string_view authority = base.substr(0, start);
  std::string_view path = base.substr(start, base.find('?', start) - start);
  if (path.empty()) path = "/";  // "http://host" is "http://host/"
  if (ref.front() == '?') return std::string(authority) + std::string(path) + std::string(ref);
  const auto tailAt = ref.find_first_of("?#");
  const std::string_view refPath = ref.substr(0, tailAt);
  const std::string_view tail = tailAt == std::string_view::npos ? "" : ref.substr(tailAt);
  std::string merged;
  if (refPath.front() == '/') {
    merged = refPath;
  } else {
    merged = path.substr(0, path.rfind('/') + 1);
    merged += refPath;
  }
  return std::string(authority) + removeDots(merged) + std::string(tail);
}

bool isLoopbackHost(std::string_view hostname) {
  return http::support::isLoopback(hostname);
}

long refusal(std::string_view url) {
  if (hasScheme(url, "file")) return url.substr(0, kFile.size()) == kFile ? 0 : kInetInvalidUrl;
  // about:blank is the one page of its scheme; the others are the browser's own.
  if (hasScheme(url, "about")) return isBlank(url) ? 0 : kInetUnknownProtocol;
  if (!hasScheme(url, "http")) return kInetUnknownProtocol;
  auto a = http::support::parseAddress(url);
  if (!a) return kInetInvalidUrl;
  return isLoopbackHost(a->host) ? 0 : kInetSecurityProblem;
}

Fetched fetch(const std::string& address) {
  std::string url = address;
  for (int hop = 0; hop <= kMaxRedirects; ++hop) {
    if (long why = refusal(url)) return nothingFrom(url, why);
    if (hasScheme(url, "about")) return nothingFrom(url, 0);
    if (hasScheme(url, "file")) return readFile(url);
    Fetched f = get(url, *http::support::parseAddress(url));
    if (f.status != 0 || f.url == url) return f;
    url = f.url;  // a redirect: checked again like any address
  }
  return nothingFrom(url, kInetDownloadFailure);
}

}  // namespace headless
