// Counting a clip against the sharing limit: 200 text clips holding 1 MB of markup in all; the
// count alone, and CalcPopLimit, which also writes the clip bar's labels and lays the bar out
// over a page of a browser window with the band in it. Then one click's clip with its element
// path on pages of 1,000 to 100,000 elements: the cost per element should stay flat.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "band/Configuration.h"
#include "band/Server.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "headless/browser.h"
#include "page/WindowProxy.h"
#include "page/mdlWindowProxy.h"
#include "runtime/form.h"

namespace {

std::string markup(std::size_t bytes) {
  std::string out;
  while (out.size() < bytes)
    out +=
        "<p class=\"lead\">Some <b>bold</b> text &lt;escaped&gt; and\r\n  spaces.</p>"
        "<style>p { color: red }</style><img src=\"a.png\">";
  return out;
}

// 1 MB of markup in that many text clips.
void fillClip(int clips) {
  const std::string text = markup((1 << 20) / clips);
  InitClipXML();
  for (int i = 0; i < clips; ++i) {
    xml::Node frame = g_ClipXML().createElement("frame");
    frame.setAttribute("type", "IHTMLTxtRange");
    frame.appendChild(g_ClipXML().createElement("content"))
        .appendChild(g_ClipXML().createCDATASection(text));
    g_ClipXML().documentElement().appendChild(frame);
  }
}

void BM_CountClippedCharacters(benchmark::State& state) {
  fillClip(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(CountClippedCharacters());
  state.SetBytesProcessed(state.iterations() * (1 << 20));
  g_ClipXML() = {};
}
BENCHMARK(BM_CountClippedCharacters)->Arg(200)->Arg(20)->Unit(benchmark::kMillisecond);

// The band registers and logs in a folder of its own; the service is a loopback port nothing
// answers on, so the band's start-up request fails quietly.
void BM_CalcPopLimit(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("folverra-bench-clip-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  setenv("FOLVERRA_MODULE_DIR", folder.c_str(), 1);
  ReplaceServiceHosts(ServiceHostsAt("127.0.0.1:9"));
  std::ofstream(folder / "page.html") << "<html><body><p>A page to clip.</p></body></html>";
  {
    headless::BrowserWindow window;
    DllRegisterServer();
    window.AddBand(kToolBarProgId);
    window.Load("file://" + (folder / "page.html").string());
    fillClip(static_cast<int>(state.range(0)));
    for (auto _ : state) CalcPopLimit();
    state.counters["count"] = g_ClippedCharCount();
    ui::Instance<frmClipBar>::Unload();
    window.RemoveBand();
  }
  state.SetBytesProcessed(state.iterations() * (1 << 20));
  g_ClipXML() = {};
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CalcPopLimit)->Arg(200)->Unit(benchmark::kMillisecond);

// Sections of a DIV holding a paragraph with a bold word, three elements each; the last
// paragraph is clipped, so the path counts it among every DIV of the body. Clipping it again
// replaces the clip before: the clip and the page keep their size from iteration to iteration.
void BM_ClipWithPath(benchmark::State& state) {
  const long elements = state.range(0);
  const auto folder = std::filesystem::temp_directory_path() /
                      ("folverra-bench-clip-path-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  setenv("FOLVERRA_MODULE_DIR", folder.c_str(), 1);
  std::string page = "<html><body>";
  for (long i = 0; i < elements / 3; ++i)
    page += "<div><p id=p" + std::to_string(i) + ">Text to clip, <b>bold</b>.</p></div>";
  std::ofstream(folder / "page.html") << page << "</body></html>";
  {
    headless::BrowserWindow window;
    if (!window.Load("file://" + (folder / "page.html").string()))
      return state.SkipWithError("the page did not load");
    const auto proxy = WindowProxy::New();
    proxy->SetWindow(window.page().webBrowser());
    const html::Document doc = window.page().webBrowser().Document().html();
    std::string lastId = "p";
    lastId += std::to_string(elements / 3 - 1);
    const html::Element last = doc.getElementById(lastId);
    for (auto _ : state) {
      VARIANT_BOOL column = 0;
      proxy->LumoraElement(last, column);
    }
    if (!g_ClipXML() || g_ClipXML().documentElement().childNodes().length() != 1)
      state.SkipWithError("the clip did not replace the one before");
    state.counters["time_per_element"] = benchmark::Counter(
        static_cast<double>(elements),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    ProxyCleanup();
    ResetClippedElements();
    ui::Instance<frmClipBar>::Unload();
  }
  g_ClipXML() = {};
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ClipWithPath)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
