// The base of every port handle: a small copyable value sharing what the platform keeps behind
// it. An empty handle is Nothing, and using a member of Nothing raises run-time error 91.
#pragma once

#include <memory>

#include "runtime/error.h"

namespace platform {

struct Implementation;  // runtime/implementation.h: for the platforms only

template <class I>
class Handle {
 public:
  using Impl = I;

  Handle() = default;
  explicit Handle(std::shared_ptr<I> impl) : impl_(std::move(impl)) {}

  bool isNothing() const { return impl_ == nullptr; }
  explicit operator bool() const { return impl_ != nullptr; }

  // The very object, for the handles whose port declares identical() for what they hold: two
  // handles of one object are the same, Nothing is only Nothing, and it never raises.
  bool is(const Handle& other) const requires requires(const I& held) { identical(held, held); }
  {
    if (impl_ == other.impl_) return true;
    return impl_ && other.impl_ && identical(*impl_, *other.impl_);
  }

 protected:
  I& self() const { return deref(impl_); }

 private:
  friend Implementation;
  std::shared_ptr<I> impl_;
};

}  // namespace platform
