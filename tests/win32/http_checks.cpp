// The http port on the real XMLHTTP: the sink's default member, bytes both ways, and the hosts
// the port refuses before MSXML sees them.
#include <winsock2.h>

#include <thread>
#include <vector>

#include "check.h"
#include "platform/http.h"

namespace smoke {
namespace {

constexpr std::int32_t kPending = static_cast<std::int32_t>(0x8000000Au);
constexpr std::int32_t kNotFound = static_cast<std::int32_t>(0x800C0005u);
const std::string kBody("<clip>\xC3\xA9\0\xFF</clip>", 16);

// One connection on a free loopback port, answered with 201 and kBody; what came in is kept.
class OneShotServer {
 public:
  OneShotServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof a;
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listener_, 1);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { answer(); });
  }
  ~OneShotServer() {
    closesocket(listener_);
    thread_.join();
    WSACleanup();
  }
  int port() const { return port_; }
  const std::string& received() const { return received_; }

 private:
  void answer() {
    SOCKET c = accept(listener_, nullptr, nullptr);
    if (c == INVALID_SOCKET) return;
    char buffer[4096];
    while (received_.find(kBody) == std::string::npos) {
      const int n = recv(c, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      received_.append(buffer, static_cast<std::size_t>(n));
    }
    const std::string reply =
        "HTTP/1.1 201 Created\r\nContent-Length: " + std::to_string(kBody.size()) +
        "\r\nConnection: close\r\n\r\n" + kBody;
    send(c, reply.data(), static_cast<int>(reply.size()), 0);
    shutdown(c, SD_SEND);
    closesocket(c);
  }

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::string received_;
};

// Runs the queue until the request reaches state 4, for ten seconds at most.
std::vector<int> exchange(http::Request& r, const std::string& url) {
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
  attempt("XMLHTTP on loopback", [] {
    OneShotServer server;
    auto r = http::Request::Create();
    expectRaise(kPending, "status before send", [&] { r.status(); });
    const auto states = exchange(r, "http://127.0.0.1:" + std::to_string(server.port()) + "/x");
    expect(!states.empty() && states.front() == 1 && states.back() == 4,
           "states did not run from 1 to 4");
    expect(r.status() == 201 && r.statusText() == "Created", "wrong status");
    expect(r.responseText() == kBody, "the answer did not come back byte for byte");
    expect(server.received().find(kBody) != std::string::npos, "the body was not sent as is");
  });
  attempt("XMLHTTP to a refused host", [] {
    auto r = http::Request::Create();
    const auto states = exchange(r, "http://service.example.test/feed_supported_video.aspx");
    expect(states == std::vector<int>{1, 4}, "a refused host did not go from 1 to 4");
    expectRaise(kNotFound, "status of a refused host", [&] { r.status(); });
  });
  auto r = http::Request::Create();
  expectRaise(E_INVALIDARG, "open of an https address",
              [&] { r.open("GET", "https://127.0.0.1/", true); });
}

}  // namespace smoke
