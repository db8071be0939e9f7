// A stand-in service on a free loopback port with a private store, for every test that needs
// the service over real HTTP.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "standin/standin.h"
#include "support.h"

namespace testing_support {

class StandinTest : public ::testing::Test {
 protected:
  StandinTest() { server_.start(); }
  std::size_t storedClips() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(store_), {}));
  }

  ModuleFolder dir_;
  std::filesystem::path store_ = dir_.path() / "store";
  standin::Server server_{store_};
};

}  // namespace testing_support
