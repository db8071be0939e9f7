// The headless html port: loading a page (parse + layout), laying it out again, and
// elementFromPoint, on generated pages with a realistic mix of paragraphs, tables, images and
// nested divs. Memory is reported per byte of page: retained (heap in use while the document
// lives, from mallinfo2) and peak (the process's resident high-water mark during one load,
// reset through /proc/self/clear_refs).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "generated_page.h"
#include "headless/dom.h"

namespace {

namespace dom = headless::dom;

long statusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return 0;
}

dom::DocumentData& dataOf(const html::Document& doc) {
  return *dom::nodeOf(doc)->doc;
}

html::Document load(const std::string& markup) {
  html::Document doc = dom::newDocument(markup, "http://127.0.0.1/page.htm");
  dom::ensureLayout(dataOf(doc));
  return doc;
}

void BM_Load(benchmark::State& state) {
  const std::string markup = generatePage(static_cast<std::size_t>(state.range(0)) << 20);
  // Memory, once, outside the timing.
  malloc_trim(0);
  const std::size_t heapBefore = mallinfo2().uordblks;
  { std::ofstream("/proc/self/clear_refs") << "5"; }
  const long rssBefore = statusKb("VmRSS:");
  std::size_t elements = 0;
  {
    const html::Document doc = load(markup);
    const long peak = statusKb("VmHWM:");
    const std::size_t retained = mallinfo2().uordblks - heapBefore;
    elements = doc.all().size();
    const double size = static_cast<double>(markup.size());
    state.counters["retained_B_per_page_B"] = static_cast<double>(retained) / size;
    state.counters["peak_B_per_page_B"] = static_cast<double>(peak - rssBefore) * 1024.0 / size;
  }
  state.counters["elements"] = static_cast<double>(elements);
  for (auto _ : state) {
    html::Document doc = load(markup);
    benchmark::DoNotOptimize(doc);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * markup.size()));
}
// Real time: the parser runs on a thread of its own (a large stack for deep pages).
BENCHMARK(BM_Load)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// Layout alone, as after a change to the page.
void BM_Relayout(benchmark::State& state) {
  const std::string markup = generatePage(static_cast<std::size_t>(state.range(0)) << 20);
  const html::Document doc = load(markup);
  dom::DocumentData& data = dataOf(doc);
  for (auto _ : state) {
    data.layoutDirty = true;
    dom::ensureLayout(data);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * markup.size()));
  state.counters["lines"] = static_cast<double>(data.lines.size());
}
BENCHMARK(BM_Relayout)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

// elementFromPoint over a page of about 10,000 elements, at points spread over the page.
void BM_ElementFromPoint(benchmark::State& state) {
  // Scale the generated page down to about 10,000 elements.
  const std::size_t perMegabyte = load(generatePage(std::size_t{1} << 20)).all().size();
  const std::string markup = generatePage((std::size_t{1} << 20) * 10000 / perMegabyte);
  const html::Document doc = load(markup);
  const dom::DocumentData& data = dataOf(doc);
  std::uint32_t seed = 7;
  long found = 0;
  for (auto _ : state) {
    seed = seed * 1103515245u + 12345u;
    const long x = static_cast<long>((seed >> 8) % 1024);
    const long y = static_cast<long>((seed >> 4) % static_cast<std::uint32_t>(data.pageHeight));
    // Points all over the page, not just the viewport: no scrolling needed for the search.
    found += !doc.elementFromPoint(x, y).isNothing();
  }
  state.counters["elements"] = static_cast<double>(doc.all().size());
  state.counters["hit_ratio"] = static_cast<double>(found) /
                                static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
}
BENCHMARK(BM_ElementFromPoint)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
