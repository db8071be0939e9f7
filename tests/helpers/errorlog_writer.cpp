// Writes reports into the error log from several threads: errorlog_writer THREADS REPORTS.
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "band/mdlCommon.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const int threads = std::atoi(argv[1]);
  const int reports = std::atoi(argv[2]);
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([t, reports] {
      for (int i = 0; i < reports; ++i)
        LogError("Folverra", "writer", "Write()", i, "src", "thread " + std::to_string(t), "0", "");
    });
  }
  for (auto& w : workers) w.join();
  return 0;
}
