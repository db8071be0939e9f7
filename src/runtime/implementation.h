// What a handle holds, for the platforms that made it (and their own tests). System code never
// includes this: the implementation behind a handle is not its business.
#pragma once

#include <memory>

#include "runtime/handle.h"

namespace platform {

struct Implementation {
  template <class I>
  static const std::shared_ptr<I>& of(const Handle<I>& handle) {
    return handle.impl_;
  }
};

// Null for Nothing.
template <class I>
const std::shared_ptr<I>& implementation(const Handle<I>& handle) {
  return Implementation::of(handle);
}

}  // namespace platform
