// Counting a clip against the sharing limit: 200 text clips holding 1 MB of markup in all.
#include <benchmark/benchmark.h>

#include <string>

#include "clip/mdlClip.h"

namespace {

std::string markup(std::size_t bytes) {
  std::string out;
  while (out.size() < bytes)
    out +=
        "<p class=\"lead\">Some <b>bold</b> text &lt;escaped&gt; and\r\n  spaces.</p>"
        "<style>p { color: red }</style><img src=\"a.png\">";
  return out;
}

void BM_CountClippedCharacters(benchmark::State& state) {
  const auto clips = static_cast<int>(state.range(0));
  const std::string text = markup((1 << 20) / clips);
  InitClipXML();
  for (int i = 0; i < clips; ++i) {
    xml::Node frame = g_ClipXML().createElement("frame");
    frame.setAttribute("type", "IHTMLTxtRange");
    frame.appendChild(g_ClipXML().createElement("content"))
        .appendChild(g_ClipXML().createCDATASection(text));
    g_ClipXML().documentElement().appendChild(frame);
  }
  for (auto _ : state) benchmark::DoNotOptimize(CountClippedCharacters());
  state.SetBytesProcessed(state.iterations() * (1 << 20));
  g_ClipXML() = {};
}
BENCHMARK(BM_CountClippedCharacters)->Arg(200)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
