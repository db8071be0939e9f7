// The http port on the real XMLHTTP: the sink's default member, bytes both ways, and the hosts
// the port refuses before MSXML sees them.
#include <vector>

#include "check.h"
#include "loopback.h"
#include "platform/http.h"

namespace smoke {
namespace {

constexpr std::int32_t kPending = static_cast<std::int32_t>(0x8000000Au);
constexpr std::int32_t kNotFound = static_cast<std::int32_t>(0x800C0005u);
const std::string kBody("<clip>\xC3\xA9\0\xFF</clip>", 16);

// Runs the queue until the request reaches state 4, for ten seconds at most.
std::vector<int> postAndWait(http::Request& r, const std::string& url) {
  std::vector<int> states;
  const DWORD thread = GetCurrentThreadId();
  bool elsewhere = false;
  r.setOnReadyStateChange([&] {
    states.push_back(r.readyState());
    elsewhere = elsewhere || GetCurrentThreadId() != thread;
  });
  r.open("POST", url, true);
  r.send(kBody);
  pumpUntil([&] { return !states.empty() && states.back() == 4; }, std::chrono::seconds(10));
  expect(!elsewhere, url + ": a state was announced on another thread");
  r.setOnReadyStateChange({});
  return states;
}

}  // namespace

void runHttpChecks() {
  const Winsock winsock;
  attempt("XMLHTTP on loopback", [] {
    LoopbackServer server(httpReply("201 Created", kBody));
    auto r = http::Request::Create();
    expectRaise(kPending, "status before send", [&] { r.status(); });
    const auto states = postAndWait(r, "http://127.0.0.1:" + std::to_string(server.port) + "/x");
    expect(!states.empty() && states.front() == 1 && states.back() == 4,
           "states did not run from 1 to 4");
    expect(r.status() == 201 && r.statusText() == "Created", "wrong status");
    expect(r.responseText() == kBody, "the answer did not come back byte for byte");
    expect(server.body() == kBody, "the body was not sent as is");
  });
  attempt("XMLHTTP to a refused host", [] {
    auto r = http::Request::Create();
    const auto states = postAndWait(r, "http://service.example.test/feed_supported_video.aspx");
    expect(states == std::vector<int>{1, 4}, "a refused host did not go from 1 to 4");
    expectRaise(kNotFound, "status of a refused host", [&] { r.status(); });
  });
  auto r = http::Request::Create();
  expectRaise(E_INVALIDARG, "open of an https address",
              [&] { r.open("GET", "https://127.0.0.1/", true); });
}

}  // namespace smoke
