// Shared fixtures: a private module folder per test (so each has its own errors.xml), and
// the log read back independently of the code that wrote it.
#pragma once

#include <pugixml.hpp>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui.h"
#include "runtime/error.h"

namespace testing_support {

// Sets (or, with nullopt, removes) an environment variable and puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    set(value);
  }
  ~ScopedEnv() { set(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  void set(const std::optional<std::string>& value) {
    if (value)
      ::setenv(name_, value->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class ModuleFolder {
 public:
  ModuleFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("folverra-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    moduleDir_.set(path_.string());
  }
  ~ModuleFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path log() const { return path_ / "errors.xml"; }

 private:
  std::filesystem::path path_;
  ScopedEnv moduleDir_{"FOLVERRA_MODULE_DIR", std::nullopt};
};

using Record = std::map<std::string, std::string>;

struct Log {
  bool wellFormed = false;
  std::string root;
  std::vector<Record> records;
  std::vector<std::vector<std::string>> fieldOrder;
};

inline Log readLog(const std::filesystem::path& file) {
  Log log;
  pugi::xml_document doc;
  log.wellFormed = static_cast<bool>(doc.load_file(file.c_str()));
  if (!log.wellFormed) return log;
  log.root = doc.document_element().name();
  for (pugi::xml_node error : doc.document_element().children("error")) {
    Record r;
    std::vector<std::string> order;
    for (pugi::xml_node field : error.children()) {
      r[field.name()] = field.text().get();
      order.push_back(field.name());
    }
    log.records.push_back(r);
    log.fieldOrder.push_back(order);
  }
  return log;
}

// How many records a log holds; 0 when there is no log.
inline std::size_t recordCount(const std::filesystem::path& file) {
  return std::filesystem::exists(file) ? readLog(file).records.size() : 0;
}

// A page of tests/pages as a file: address.
inline std::string pageUrl(const std::string& name) {
  return "file://" +
         (std::filesystem::path(FOLVERRA_TESTS_DIR) / "pages" / name).lexically_normal().string();
}

// Pumps the calling thread's queue until done() holds; false after ten seconds.
template <class Done>
bool waitFor(Done&& done) {
  for (int i = 0; i < 2000; ++i) {
    if (done()) return true;
    ui::DoEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

// Pumps the calling thread's queue for at least `time`, so that a timer due within it fires.
inline void pumpFor(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  waitFor([&] { return std::chrono::steady_clock::now() >= end; });
}

// Where a window is from another's top-left corner (or the screen's), and its width and height.
inline std::array<long, 4> placeOf(HWND hwnd, HWND from = nullptr) {
  RECT r{}, o{};
  ui::GetWindowRect(hwnd, &r);
  if (from) ui::GetWindowRect(from, &o);
  return {r.left - o.left, r.top - o.top, r.right - r.left, r.bottom - r.top};
}

// The number of the platform::Error a call raised; 0 when it raised none.
inline std::int32_t raised(const std::function<void()>& call) {
  try {
    call();
  } catch (const platform::Error& e) {
    return e.number;
  }
  return 0;
}

}  // namespace testing_support
