// The clip's serialiser over the body of a generated page of 1 and 5 MB, against gumbo parsing
// the same page in the same run: vs_gumbo_parse is the serialiser's time over the parser's, and
// the time per byte must not grow with the page.
#include <benchmark/benchmark.h>
#include <gumbo.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "clip/Capture.h"
#include "generated_page.h"
#include "headless/dom.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_SerialiseBody(benchmark::State& state) {
  const std::string markup = generatePage(static_cast<std::size_t>(state.range(0)) << 20);
  const html::Document doc = headless::dom::newDocument(markup, "http://127.0.0.1/page.htm");
  const html::Element body = doc.body();
  double serialising = 0;
  double parsing = 0;
  std::size_t written = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const std::string out = ElementToMarkup(body);
    serialising += secondsSince(start);
    written = out.size();
    state.PauseTiming();
    const Clock::time_point parseStart = Clock::now();
    GumboOutput* parsed =
        gumbo_parse_with_options(&kGumboDefaultOptions, markup.data(), markup.size());
    parsing += secondsSince(parseStart);
    gumbo_destroy_output(&kGumboDefaultOptions, parsed);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * markup.size()));
  state.counters["vs_gumbo_parse"] = serialising / parsing;
  state.counters["markup_MB"] = static_cast<double>(written) / (1 << 20);
}
BENCHMARK(BM_SerialiseBody)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
