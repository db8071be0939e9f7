// An event subscription of a port. It shares a token that the platform made when subscribing and
// whose destruction unsubscribes, so dropping the last copy of a connection disconnects it.
#pragma once

#include <memory>

namespace platform {

class Connection {
 public:
  Connection() = default;
  explicit Connection(std::shared_ptr<void> token) : token_(std::move(token)) {}
  bool connected() const { return token_ != nullptr; }
  void disconnect() { token_.reset(); }

 private:
  std::shared_ptr<void> token_;
};

}  // namespace platform
