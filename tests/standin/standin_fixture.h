// A stand-in service on a free loopback port with a private store, for every test that needs
// the service over real HTTP.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "standin/standin.h"

namespace testing_support {

inline std::filesystem::path freshStore() {
  static int counter = 0;
  auto path = std::filesystem::temp_directory_path() /
              ("folverra-store-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path);
  return path;
}

class StandinTest : public ::testing::Test {
 protected:
  StandinTest() : store_(freshStore()), server_(store_) { server_.start(); }
  ~StandinTest() override {
    server_.stop();
    std::filesystem::remove_all(store_);
  }
  std::size_t storedClips() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(store_),
                                                  std::filesystem::directory_iterator()));
  }

  std::filesystem::path store_;
  standin::Server server_;
};

}  // namespace testing_support
