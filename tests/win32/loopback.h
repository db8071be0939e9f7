// One connection on a free loopback port: what comes in is kept until it holds `until`, then
// `reply` goes back and the connection closes. The caller starts Winsock.
#pragma once

#include <winsock2.h>

#include <string>
#include <thread>

namespace smoke {

struct OneShotServer {
  const std::string reply, until;
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  int port = 0;
  std::string received;
  std::thread thread;

  OneShotServer(std::string reply, std::string until)
      : reply(std::move(reply)), until(std::move(until)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof a;
    bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listener, 1);
    getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
    port = ntohs(a.sin_port);
    thread = std::thread([this] { answer(); });
  }
  ~OneShotServer() {
    closesocket(listener);
    thread.join();
  }
  std::string address() const { return "127.0.0.1:" + std::to_string(port); }

 private:
  void answer() {
    SOCKET c = accept(listener, nullptr, nullptr);
    if (c == INVALID_SOCKET) return;
    char buffer[4096];
    while (received.find(until) == std::string::npos) {
      const int n = recv(c, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      received.append(buffer, static_cast<std::size_t>(n));
    }
    send(c, reply.data(), static_cast<int>(reply.size()), 0);
    shutdown(c, SD_SEND);
    closesocket(c);
  }
};

}  // namespace smoke
