// Cost of one report against the size of the log it is appended to.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "band/mdlCommon.h"
#include "platform/system.h"

namespace {

std::filesystem::path logFolder(int records) {
  auto dir = std::filesystem::temp_directory_path() / ("folverra-bench-" + std::to_string(records));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  setenv("FOLVERRA_MODULE_DIR", dir.c_str(), 1);
  // One report written, then copied: filling through the writer would cost a report each.
  LogError("Folverra", "bench", "Fill()", 0, "bench", "a record of the log", "0", "");
  std::ifstream in(dir / "errors.xml");
  const std::string one{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto start = one.find("<error>"), end = one.rfind("</errors>");
  std::string record = one.substr(start, end - start), body;
  for (int i = 0; i < records; ++i) body += record;
  std::ofstream(dir / "errors.xml") << "<errors>" << body << "</errors>";
  return dir;
}

void BM_AppendReport(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const auto dir = logFolder(records);
  const auto path = dir / "errors.xml";
  const auto original = dir / "errors.orig";
  std::filesystem::copy_file(path, original);
  for (auto _ : state) {
    LogError("Folverra", "bench", "Append()", 1, "bench", "the appended record", "0", "");
    state.PauseTiming();
    std::filesystem::copy_file(original, path, std::filesystem::copy_options::overwrite_existing);
    state.ResumeTiming();
  }
  state.counters["log_bytes"] = static_cast<double>(std::filesystem::file_size(original));
  std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_AppendReport)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
