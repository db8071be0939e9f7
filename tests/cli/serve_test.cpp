#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "standin/standin_fixture.h"

namespace {

// `folverra serve` with its output on a pipe.
struct Serving {
  pid_t pid = -1;
  FILE* out = nullptr;
};

Serving startServe(const std::vector<std::string>& args) {
  std::vector<std::string> all{FOLVERRA_CLI, "serve"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  int fds[2];
  if (::pipe(fds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  Serving s;
  posix_spawn(&s.pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  s.out = ::fdopen(fds[0], "r");
  return s;
}

std::string line(FILE* in) {
  std::array<char, 1024> buffer{};
  return std::fgets(buffer.data(), buffer.size(), in) ? buffer.data() : "";
}

int portIn(const std::string& banner) {
  const auto at = banner.find("127.0.0.1:");
  return at == std::string::npos ? 0 : std::atoi(banner.c_str() + at + 10);
}

}  // namespace

TEST(ServeCommand, ServesUntilSignalledAndStoresInTheFolderGiven) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    const auto store = testing_support::freshStore();
    Serving s = startServe({"--store", store.string()});
    ASSERT_GT(s.pid, 0);
    const int port = portIn(line(s.out));
    ASSERT_GT(port, 0);
    httplib::Client client("127.0.0.1", port);
    auto saved = client.Post("/clip_mozilla_save.aspx", "<clip/>", "text/xml");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->status, 200);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(store), {}), 1);
    ::kill(s.pid, signal);
    int status = 0;
    ::waitpid(s.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(line(s.out), "folverra serve: stopped\n");
    std::fclose(s.out);
    std::filesystem::remove_all(store);
  }
}

TEST(ServeCommand, RefusesBadArgumentsWithOneLineAndStatusTwo) {
  const char* bad[] = {"--port",  "--port x", "--port 70000", "--port 80x",
                       "--store", "--frob",   "extra"};
  for (const char* args : bad) {
    SCOPED_TRACE(args);
    const std::string command = std::string(FOLVERRA_CLI) + " serve " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    std::array<char, 512> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
      out.append(buffer.data(), n);
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), 2);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  }
}
