// A service stand-in for the checks: one connection on a free loopback port, answered with the
// reply it was given once the request has come in whole; the request is kept.
#pragma once

#include <winsock2.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace smoke {

// Winsock for as long as one lives.
struct Winsock {
  WSADATA data{};
  Winsock() { WSAStartup(MAKEWORD(2, 2), &data); }
  ~Winsock() { WSACleanup(); }
};

// A whole answer that closes its connection.
inline std::string httpReply(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

class LoopbackServer {
 public:
  explicit LoopbackServer(std::string reply) : reply_(std::move(reply)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof a;
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listener_, 1);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size);
    port = ntohs(a.sin_port);
    thread_ = std::thread([this] { answer(); });
  }
  ~LoopbackServer() { finish(); }

  // A loopback port that nothing listens on.
  static int unusedPort() { return LoopbackServer("").port; }

  int port = 0;

  // The request as it came in, headers and body; empty when none came.
  const std::string& request() {
    finish();
    return received_;
  }
  std::string body() {
    const std::size_t end = request().find("\r\n\r\n");
    return end == std::string::npos ? std::string() : received_.substr(end + 4);
  }

 private:
  void finish() {
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    listener_ = INVALID_SOCKET;
    if (thread_.joinable()) thread_.join();
  }
  // Whole once the headers have ended and as many bytes as they announce have followed.
  bool whole() const {
    const std::size_t end = received_.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    const std::size_t length = received_.find("Content-Length:");
    const std::size_t wanted =
        length < end ? std::strtoul(received_.c_str() + length + 15, nullptr, 10) : 0;
    return received_.size() >= end + 4 + wanted;
  }
  void answer() {
    const SOCKET c = accept(listener_, nullptr, nullptr);
    if (c == INVALID_SOCKET) return;
    char buffer[4096];
    while (!whole()) {
      const int n = recv(c, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      received_.append(buffer, static_cast<std::size_t>(n));
    }
    send(c, reply_.data(), static_cast<int>(reply_.size()), 0);
    shutdown(c, SD_SEND);
    closesocket(c);
  }

  SOCKET listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  std::string reply_;
  std::string received_;
  std::thread thread_;
};

}  // namespace smoke
