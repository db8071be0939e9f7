// The request on cpp-httplib. One worker thread runs the exchanges in turn; it never touches a
// request's state or handler, it only hands the answer to the opening thread's mailbox, where
// states 2, 3 and 4 are applied and announced. A send with async false runs the exchange on
// the calling thread and announces the states before it returns.
#include "platform/http.h"

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "runtime/error.h"
#include "runtime/httpsupport.h"
#include "runtime/strings.h"

namespace http {
namespace {

constexpr int kConnectSeconds = 5;
constexpr int kTransferSeconds = 30;

// What came back; reached false when no server answered (refused host included).
struct Answer {
  bool reached = false;
  long status = 0;
  std::string statusText;
  std::string body;
};

struct Exchange {
  std::string method;
  support::Address address;
  std::string body;
};

std::string hostHeader(const support::Address& a) {
  const std::string host = a.host.find(':') == std::string::npos ? a.host : "[" + a.host + "]";
  return host + ":" + std::to_string(a.port);
}

// "localhost" goes to 127.0.0.1 as it is: the resolver is never asked, not even for that.
std::string connectHost(const std::string& host) {
  return platform::equalsNoCase(host, "localhost") ? "127.0.0.1" : host;
}

Answer run(const Exchange& e) {
  if (!support::isLoopback(e.address.host)) return {};
  httplib::Client client(connectHost(e.address.host), e.address.port);
  client.set_connection_timeout(kConnectSeconds);
  client.set_read_timeout(kTransferSeconds);
  client.set_write_timeout(kTransferSeconds);
  httplib::Request request;
  request.method = e.method;
  request.path = e.address.target;
  request.set_header("Host", hostHeader(e.address));
  if (e.method != "GET" && e.method != "HEAD") {
    request.body = e.body;
    request.set_header("Content-Type", "text/plain; charset=UTF-8");
  }
  httplib::Response response;
  httplib::Error error = httplib::Error::Success;
  if (!client.send(request, response, error)) return {};
  return {true, response.status, response.reason, std::move(response.body)};
}

// Runs exchanges in the order they were sent. Destroyed at exit: what is queued is dropped,
// the exchange under way ends within its timeouts.
class Worker {
 public:
  Worker() = default;
  ~Worker() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    ready_.notify_one();
    if (thread_.joinable()) thread_.join();
  }

  void submit(std::function<void()> job) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
      if (!thread_.joinable()) thread_ = std::thread([this] { loop(); });
    }
    ready_.notify_one();
  }

 private:
  void loop() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
        if (stopping_) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      job();
    }
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::thread thread_;
};

Worker& worker() {
  static Worker w;
  return w;
}

}  // namespace

// Touched only on the opening thread; the worker holds a reference but reads nothing.
struct RequestImpl : std::enable_shared_from_this<RequestImpl> {
  std::function<void()> handler;
  int state = 0;
  unsigned generation = 0;  // bumped by open and abort, so stale completions are ignored
  bool async = true;
  std::string method;
  support::Address address;
  HWND mailbox = nullptr;
  Answer answer;

  void enter(int next) {
    state = next;
    if (handler) {
      auto call = handler;  // the handler may replace itself
      call();
    }
  }

  // States 2, 3 and 4, or straight to 4 when no server answered; stops if a handler
  // aborted or reopened the request.
  void complete(unsigned sent, const Answer& a) {
    if (sent != generation) return;
    answer = a;
    for (int next = a.reached ? 2 : 4; next <= 4 && sent == generation; ++next) enter(next);
  }

  const Answer& arrived(int needed) const {
    if (state == 4 && !answer.reached) support::raiseNotFound();
    if (state < needed) support::raisePending();
    return answer;
  }
};

namespace {

// Where an answer goes: the request as it was when sent, on the thread that opened it. The
// only reference moves into the mailbox, so the request ends on that thread.
struct Ticket {
  std::shared_ptr<Request::Impl> request;
  HWND mailbox;
  unsigned sent;

  void deliver(Answer answer) {
    support::post(mailbox, [request = std::move(request), sent = sent, answer = std::move(answer)] {
      request->complete(sent, answer);
    });
  }
};

}  // namespace

Request Request::Create() {
  return Request(std::make_shared<Impl>());
}

void Request::setOnReadyStateChange(std::function<void()> handler) {
  self().handler = std::move(handler);
}

void Request::open(const std::string& method, const std::string& url, bool async) {
  Impl& r = self();
  auto address = support::parseAddress(url);
  if (!address || method.empty()) support::raiseBadAddress();
  r.mailbox = support::threadMailbox();
  ++r.generation;
  r.method = platform::upperAscii(method);
  r.address = std::move(*address);
  r.async = async;
  r.answer = {};
  r.enter(1);
}

void Request::send(const std::string& body) {
  Impl& r = self();
  if (r.state != 1) platform::raise(platform::kInvalidCall);
  Exchange exchange{r.method, r.address, body};
  if (!r.async) return r.complete(r.generation, run(exchange));
  Ticket ticket{r.shared_from_this(), r.mailbox, r.generation};
  if (!support::isLoopback(exchange.address.host)) return ticket.deliver({});
  worker().submit([ticket = std::move(ticket), exchange = std::move(exchange)]() mutable {
    ticket.deliver(run(exchange));
  });
}

void Request::abort() {
  Impl& r = self();
  ++r.generation;
  r.state = 0;
  r.answer = {};
}

int Request::readyState() const {
  return self().state;
}

long Request::status() const {
  return self().arrived(2).status;
}

std::string Request::statusText() const {
  return self().arrived(2).statusText;
}

std::string Request::responseText() const {
  return self().arrived(3).body;
}

}  // namespace http
