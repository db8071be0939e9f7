// Counting a clip against the sharing limit: 200 text clips holding 1 MB of markup in all; the
// count alone, and CalcPopLimit, which also writes the clip bar's labels and lays the bar out
// over a page of a browser window with the band in it.
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

}  // namespace

BENCHMARK_MAIN();
