// Navigating a browser window with the toolbar band in it, against the same window without
// the band: what the band adds to every page is a proxy per document, the border DIVs and the
// events it follows. Pages: a frameset of two small frames, and one-page documents of 10 KB and
// 1 MB and 4 MB (on one line), and saved real pages. Each iteration loads a page, so the previous
// page's proxies are released on the way.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "band/Server.h"
#include "headless/browser.h"
#include "page/mdlWindowProxy.h"

namespace {

std::filesystem::path folder() {
  static const std::filesystem::path path = [] {
    auto p = std::filesystem::temp_directory_path() /
             ("folverra-bench-nav-" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    setenv("FOLVERRA_MODULE_DIR", p.c_str(), 1);
    return p;
  }();
  return path;
}

std::string write(const std::string& name, const std::string& content) {
  const auto file = folder() / name;
  std::ofstream(file) << content;
  return "file://" + file.string();
}

std::string page(std::size_t bytes) {
  std::string out = "<html><head><title>Page</title></head><body>";
  for (int i = 0; out.size() < bytes; ++i)
    out += "<div id=d" + std::to_string(i) +
           "><p>Some text of a paragraph to clip, <b>bold</b> and <a href=x>linked</a>.</p>"
           "<img src=p.gif width=40 height=30></div>";
  return out + "</body></html>";
}

std::string frameset() {
  write("left.html", page(2000));
  write("right.html", page(2000));
  return write("frameset.html",
               "<html><frameset cols='50%,50%'><frame src=left.html><frame src=right.html>"
               "</frameset></html>");
}

void navigate(benchmark::State& state, const std::string& a, const std::string& b, bool band) {
  headless::BrowserWindow window;
  if (band) {
    DllRegisterServer();
    window.AddBand(kToolBarProgId);
  }
  bool flip = false;
  for (auto _ : state) {
    window.Load((flip = !flip) ? a : b);
    benchmark::DoNotOptimize(g_ProxyCount());
  }
  window.RemoveBand();
  state.counters["proxies"] = g_ProxyCount();
}

void BM_Frameset(benchmark::State& state) {
  const std::string f = frameset();
  navigate(state, f, f, state.range(0) != 0);
}
BENCHMARK(BM_Frameset)->Arg(0)->Arg(1)->ArgName("band")->Unit(benchmark::kMillisecond);

void BM_Page(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  const std::string a = write("a.html", page(bytes));
  const std::string b = write("b.html", page(bytes));
  navigate(state, a, b, state.range(1) != 0);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_Page)
    ->Args({10 << 10, 0})
    ->Args({10 << 10, 1})
    ->Args({1 << 20, 0})
    ->Args({1 << 20, 1})
    ->Args({4 << 20, 1})
    ->ArgNames({"bytes", "band"})
    ->Unit(benchmark::kMillisecond);

// Saved real pages, their advertising frames failing alone.
void BM_RealPage(benchmark::State& state, const char* name) {
  const std::string url = std::string("file://") + FOLVERRA_REAL_PAGES + "/" + name;
  navigate(state, url, url, true);
}
BENCHMARK_CAPTURE(BM_RealPage, wikipedia, "wikipedia-2.html")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RealPage, nytimes, "nytimes-5.html")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RealPage, breitbart_34_frames, "breitbart.html")
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
