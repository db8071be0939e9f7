// One mouse-over with framing: the mouse goes from one paragraph to the next on a page of
// 1,000, 10,000 and 100,000 elements in clipping mode, so each iteration takes one frame down
// and puts one up (the page's events, the proxy's handlers, the border DIVs' styles and the
// geometry they read). The cost per element should stay flat from size to size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "headless/browser.h"
#include "headless/pointer.h"
#include "page/SharedReferences.h"
#include "page/WindowProxy.h"
#include "page/mdlWindowProxy.h"
#include "toolbar/frmToolband.h"

namespace {

std::filesystem::path folder() {
  static const std::filesystem::path path = [] {
    auto p = std::filesystem::temp_directory_path() /
             ("folverra-bench-highlight-" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    setenv("FOLVERRA_MODULE_DIR", p.c_str(), 1);
    return p;
  }();
  return path;
}

// Sections of a DIV holding a paragraph with a bold word: three elements each.
std::string pageUrl(long elements) {
  std::string out = "<html><body>";
  for (long i = 0; i < elements / 3; ++i)
    out += "<div><p id=p" + std::to_string(i) + ">Text to frame, <b>bold</b>.</p></div>";
  out += "</body></html>";
  const auto file = folder() / ("page" + std::to_string(elements) + ".html");
  std::ofstream(file) << out;
  return "file://" + file.string();
}

// mode 1 frames; with mode 0 the handlers return at once, leaving what the page's own mouse
// events cost.
void mouseOver(benchmark::State& state, std::int16_t mode) {
  const long elements = state.range(0);
  const std::string url = pageUrl(elements);
  headless::BrowserWindow window;
  frmToolband& toolband = ui::Instance<frmToolband>::get();
  toolband.bLumoraMode = mode;
  if (!window.Load(url)) return state.SkipWithError("the page did not load");
  WindowProxy::New()->SetWindow(window.page().webBrowser());
  const html::Document doc = window.page().webBrowser().Document().html();
  // Two paragraphs on the first screen; each move leaves one and enters the other at its
  // middle, clear of the border the other one's frame lays along its edge.
  const html::Rect first = doc.getElementById("p0").getBoundingClientRect();
  const html::Rect second = doc.getElementById("p1").getBoundingClientRect();
  bool onFirst = false;
  for (auto _ : state) {
    const html::Rect& to = onFirst ? second : first;
    headless::pointer::move(doc, (to.left + to.right) / 2, (to.top + to.bottom) / 2);
    onFirst = !onFirst;
  }
  if (mode == 1 && !g_HighlightElement()) state.SkipWithError("nothing was framed");
  state.counters["elements"] = static_cast<double>(doc.all().size());
  state.counters["time_per_element"] = benchmark::Counter(
      static_cast<double>(elements),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  ProxyCleanup();
  toolband.bLumoraMode = 0;
}
void BM_MouseOverWithFraming(benchmark::State& state) {
  mouseOver(state, 1);
}
void BM_MouseOverOutOfClippingMode(benchmark::State& state) {
  mouseOver(state, 0);
}
BENCHMARK(BM_MouseOverOutOfClippingMode)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MouseOverWithFraming)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
