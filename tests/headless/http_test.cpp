#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/http.h"
#include "runtime/httpsupport.h"
#include "standin/content.h"
#include "standin/standin_fixture.h"
#include "support.h"

namespace {

using namespace std::chrono_literals;
using testing_support::raised;
using testing_support::waitFor;

constexpr std::int32_t kPending = static_cast<std::int32_t>(0x8000000Au);
constexpr std::int32_t kNotFound = static_cast<std::int32_t>(0x800C0005u);

// Reads one part of the answer: its letter when it is there, "-" while it is pending.
std::string part(char letter, const std::function<void()>& read) {
  const std::int32_t number = raised(read);
  return number == 0 ? std::string(1, letter) : number == kPending ? "-" : std::to_string(number);
}

// A request and what its handler saw: the states, the threads, and at each state whether the
// status ("s") and the text ("t") could be read.
struct Watched {
  http::Request request = http::Request::Create();
  std::vector<int> states;
  std::vector<std::thread::id> threads;
  std::string readable;

  Watched() {
    request.setOnReadyStateChange([this] {
      states.push_back(request.readyState());
      threads.push_back(std::this_thread::get_id());
      readable += std::to_string(request.readyState()) +
                  part('s', [this] { request.status(), request.statusText(); }) +
                  part('t', [this] { request.responseText(); }) + " ";
    });
  }
  bool done() const { return !states.empty() && states.back() == 4; }
  void exchange(const std::string& method, const std::string& url, const std::string& body = {}) {
    request.open(method, url, true);
    request.send(body);
    ASSERT_TRUE(waitFor([this] { return done(); })) << url;
  }
};

// A socket listening on a free loopback port, which never accepts what connects to it.
int listeningSocket(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(fd, 4);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
  port = ntohs(a.sin_port);
  return fd;
}

class HttpPort : public testing_support::StandinTest {
 protected:
  std::string at(const std::string& path) const { return server_.url() + path; }
};

}  // namespace

TEST_F(HttpPort, AnnouncesEveryStateOnTheOpeningThreadAndEachPartOfTheAnswerOnceItCame) {
  for (bool async : {true, false}) {
    SCOPED_TRACE(async ? "async" : "sync");
    Watched w;
    EXPECT_EQ(raised([&] { w.request.status(); }), kPending) << "before open";
    std::thread::id opener;
    std::size_t seenInOpen = 0;
    std::thread([&] {
      opener = std::this_thread::get_id();
      w.request.open("POST", at("/feed_supported_video.aspx"), async);
      seenInOpen = w.states.size();
      w.request.send();
      waitFor([&] { return w.done(); });
    }).join();
    EXPECT_EQ(seenInOpen, 1u) << "state 1 comes from open itself";
    EXPECT_EQ(w.readable, "1-- 2s- 3st 4st ") << "the status from state 2, the text from 3";
    EXPECT_EQ(w.threads, std::vector<std::thread::id>(4, opener));
    EXPECT_EQ(w.request.responseText(), standin::content::supportedVideoList());
  }
}

TEST_F(HttpPort, PassesBodiesAndAnswersThroughAsBytes) {
  const std::string clip = "<clip>caf\xC3\xA9 \xF0\x9F\x93\x8E</clip>";
  // Method, address, body; the status, its text and the answer (empty when any).
  using Text = std::string;
  const std::tuple<Text, Text, Text, long, Text, Text> cases[] = {
      {"GET", at("/images/clipped.gif"), "", 200, "OK", standin::content::pictures()[0].bytes},
      {"get", "http://localhost:" + std::to_string(server_.port()) + "/faq/", "", 200, "OK", ""},
      {"GET", at("/nowhere"), "", 404, "Not Found", ""},
      {"POST", at("/clip_mozilla_save.aspx"), "not xml", 400, "Bad Request", ""},
      {"POST", at("/clip_mozilla_save.aspx"), clip, 200, "OK", ""},
  };
  for (const auto& [method, url, body, status, statusText, answer] : cases) {
    SCOPED_TRACE(method + " " + url);
    Watched w;
    w.exchange(method, url, body);
    EXPECT_EQ(std::pair(w.request.status(), w.request.statusText()), std::pair(status, statusText));
    if (!answer.empty()) {
      EXPECT_EQ(w.request.responseText(), answer);
    }
  }
  const auto clips = std::filesystem::directory_iterator(store_);
  ASSERT_NE(clips, std::filesystem::directory_iterator()) << "the clip is stored";
  std::ifstream in(clips->path(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), clip) << "byte for byte";
}

TEST_F(HttpPort, ReportsUnreachableServersAsMsxmlReportsAConnectionFailure) {
  int closedPort = 0;
  ::close(listeningSocket(closedPort));
  const std::string unreachable[] = {"http://service.example.test/feed_supported_video.aspx",
                                     "http://192.0.2.1/", "http://127.0.0.2/",
                                     "http://127.0.0.1:" + std::to_string(closedPort) + "/"};
  for (const std::string& url : unreachable) {
    SCOPED_TRACE(url);
    Watched w;
    const auto start = std::chrono::steady_clock::now();
    w.exchange("POST", url, "<clip/>");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << "refused, not attempted";
    EXPECT_EQ(w.states, (std::vector<int>{1, 4}));
    EXPECT_EQ(raised([&] { w.request.status(); }), kNotFound);
    EXPECT_EQ(raised([&] { w.request.responseText(); }), kNotFound);
  }
}

TEST(HttpAddress, OpenTakesOnlyAbsoluteHttpAddresses) {
  const char* bad[] = {"",
                       "/edit_clip.aspx",
                       "https://127.0.0.1/",
                       "http://",
                       "http://127.0.0.1@service.example.test/",
                       "http://127.0.0.1:65536/",
                       "http://127.0.0.1:8o/",
                       "http://[::1/",
                       "http://127.0.0.1/a b",
                       "http://127.0.0.1/\r\nX-Header: 1"};
  for (const char* url : bad) {
    SCOPED_TRACE(url);
    Watched w;
    EXPECT_EQ(raised([&] { w.request.open("GET", url, true); }), E_INVALIDARG);
    EXPECT_EQ(w.request.readyState(), 0);
    EXPECT_TRUE(w.states.empty());
  }
  // The address, then the host, port and target it names.
  const std::tuple<const char*, const char*, int, const char*> good[] = {
      {"http://127.0.0.1:8080/a/b.aspx?c=1#top", "127.0.0.1", 8080, "/a/b.aspx?c=1"},
      {"HTTP://LocalHost", "LocalHost", 80, "/"},
      {"http://[::1]:81?x=1", "::1", 81, "/?x=1"},
  };
  for (const auto& [url, host, port, target] : good) {
    SCOPED_TRACE(url);
    const auto a = http::support::parseAddress(url);
    ASSERT_TRUE(a);
    EXPECT_EQ(std::make_tuple(a->host, a->port, a->target), std::make_tuple(host, port, target));
    EXPECT_TRUE(http::support::isLoopback(a->host));
  }
}

// Dropped in flight, a request still completes; aborted, it announces nothing more; asked on a
// thread that has ended, its answer goes nowhere. Exchanges run in order, so the last one here
// ends after the others.
TEST_F(HttpPort, RequestsDroppedInFlightCompleteAbortedOnesFallSilentAndAnEndedThreadHearsNothing) {
  int port = 0;
  const int silent = listeningSocket(port);
  int droppedCalls = 0, endedThreadCalls = 0;
  const auto sendAndDrop = [](const std::string& url, int& calls) {
    auto request = http::Request::Create();
    request.setOnReadyStateChange([&calls] { ++calls; });
    request.open("POST", url, true);
    request.send();
  };
  sendAndDrop(at("/feed_supported_video.aspx"), droppedCalls);
  std::thread([&] {
    sendAndDrop("http://127.0.0.1:" + std::to_string(port) + "/", endedThreadCalls);
  }).join();
  Watched aborted;
  aborted.request.open("GET", at("/"), true);
  aborted.request.send();
  aborted.request.abort();
  EXPECT_EQ(aborted.request.readyState(), 0);
  ::close(silent);  // the answer to the ended thread: the connection is reset
  Watched later;
  later.exchange("GET", at("/faq/"));
  ui::DoEvents();
  EXPECT_EQ(droppedCalls, 4);
  EXPECT_EQ(endedThreadCalls, 1) << "only open's own announcement";
  EXPECT_EQ(aborted.states, std::vector<int>{1});
}
