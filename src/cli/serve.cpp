#include "cli/serve.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "standin/standin.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: folverra serve [--port N] [--store DIR]\n"
    "\n"
    "Runs the stand-in of the Folverra service on 127.0.0.1 until Ctrl-C or SIGTERM.\n"
    "  --port N     Listen on port N; without it, on a free port.\n"
    "  --store DIR  Keep saved clips in DIR; without it, in a fresh temporary folder.\n";

struct BadArgument : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  bool help = false;
  int port = 0;
  std::optional<std::filesystem::path> store;
};

int parsePort(const std::string& text) {
  std::size_t used = 0;
  int port = -1;
  try {
    port = std::stoi(text, &used);
  } catch (const std::exception&) {
  }
  if (used != text.size() || port < 0 || port > 65535)
    throw BadArgument("'" + text + "' is not a port number");
  return port;
}

Options parse(const std::vector<std::string>& args) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw BadArgument(a + " needs a value");
      return args[++i];
    };
    if (a == "--help" || a == "-h")
      o.help = true;
    else if (a == "--port")
      o.port = parsePort(value());
    else if (a == "--store")
      o.store = value();
    else
      throw BadArgument("unexpected argument '" + a + "'");
  }
  return o;
}

std::filesystem::path temporaryStore() {
  std::string pattern = (std::filesystem::temp_directory_path() / "folverra-store-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary store");
  return pattern;
}

// Blocked before the server's threads start, so that only the wait below receives them.
sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

int serve(const std::vector<std::string>& args) {
  Options o;
  try {
    o = parse(args);
  } catch (const BadArgument& e) {
    std::cerr << "folverra serve: " << e.what() << " (see folverra serve --help)\n";
    return 2;
  }
  if (o.help) {
    std::cout << kUsage;
    return 0;
  }
  const sigset_t signals = stopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  standin::Server server(o.store ? *o.store : temporaryStore());
  server.start(o.port);
  std::cout << "folverra serve: " << server.url() << "/ storing clips in "
            << server.store().string() << "; Ctrl-C stops" << std::endl;
  int received = 0;
  sigwait(&signals, &received);
  server.stop();
  std::cout << "folverra serve: stopped" << std::endl;
  return 0;
}

}  // namespace cli
