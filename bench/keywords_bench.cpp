// Keywords of a large text: 1 MB and 4 MB of prose whose vocabulary grows with it (a new word
// every sentence), so the table grows too; the time per byte should stay flat. The stop list is
// the one installed beside this program. A small text shows what reading the list costs a call.
#include <benchmark/benchmark.h>

#include <string>

#include "clip/Keywords.h"

namespace {

std::string prose(std::size_t bytes) {
  std::string out;
  for (std::size_t n = 0; out.size() < bytes; ++n)
    out += "The quick brown fox, in 1999, jumped over the lazy dog number " + std::to_string(n) +
           " and word" + std::to_string(n) + " well-known caf\xC3\xA9 1234567.\r\n";
  return out;
}

void BM_Keywords(benchmark::State& state) {
  const std::string text = prose(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ExtractKeywords(text, 30));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Keywords)->Arg(200)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
