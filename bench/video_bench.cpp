// A text box holding a megabyte of words, one line as a text box holds it: the embed-code scan
// alone and ClipVideo of the page around it, against the engine replacing over the whole text
// without the scan. The text holds no embed code, code at its start or end, or a tag whose src
// is never closed (the engine's worst: every try runs to the end of the line and back).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "clip/Video.h"
#include "headless/dom.h"
#include "runtime/error.h"

namespace {

constexpr const char* kCode =
    "<object><embed src=\"http://v.test/a.swf\" type=\"application/x-shockwave-flash\" "
    "flashvars=\"id=7\"></embed></object>";
constexpr const char* kKinds[] = {"no code", "code at the start", "code at the end",
                                  "an unclosed src"};

std::string prose(std::size_t bytes) {
  static const char* const kWords[] = {"clip",  "the",   "caf\u00E9",    "share",
                                       "of",    "video", "\u6587\u7AE0", "a",
                                       "embed", "src=",  "type=",        "na\u00EFve."};
  std::uint32_t seed = 12345;
  std::string out;
  while (out.size() < bytes) {
    seed = seed * 1103515245u + 12345u;
    out += kWords[(seed >> 16) % std::size(kWords)];
    out += ' ';
  }
  return out;
}

std::string text(std::int64_t kind) {
  const std::string megabyte = prose(1 << 20);
  switch (kind) {
    case 1:
      return kCode + megabyte;
    case 2:
      return megabyte + kCode;
    case 3:
      return "<embed src=\"" + megabyte;
    default:
      return megabyte;
  }
}

regexp::RegExp globalRegExp(const char* pattern) {
  regexp::RegExp re = regexp::RegExp::Create();
  re.setPattern(pattern);
  re.setGlobal(true);
  return re;
}

template <class Body>
void measure(benchmark::State& state, const std::string& input, Body&& body) {
  state.SetLabel(kKinds[state.range(0)]);
  try {
    for (auto _ : state) benchmark::DoNotOptimize(body());
  } catch (const platform::Error& e) {
    state.SkipWithError(("error " + std::to_string(e.number)).c_str());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

void BM_EmbedCodeScan(benchmark::State& state) {
  const std::string input = text(state.range(0));
  const regexp::RegExp re = globalRegExp("");
  measure(state, input, [&] { return ReplaceEmbedCode(re, kEmbedSrc, input); });
}
BENCHMARK(BM_EmbedCodeScan)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_EmbedCodeWholeText(benchmark::State& state) {
  const std::string input = text(state.range(0));
  const regexp::RegExp re = globalRegExp(kEmbedSrc.pattern);
  measure(state, input, [&] { return re.Replace(input, "$2"); });
}
BENCHMARK(BM_EmbedCodeWholeText)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The clipped EMBED comes after the box, so its own src is what a box without code leaves.
void BM_ClipVideo(benchmark::State& state) {
  const html::Document page = headless::dom::newDocument(
      "<title>Videos</title><input type=text id=code><embed id=movie src=m.swf>",
      "http://127.0.0.1/videos.htm");
  const std::string input = text(state.range(0));
  page.getElementById("code").setAttribute("value", input);
  const html::Element movie = page.getElementById("movie");
  std::string src;
  measure(state, input, [&] {
    const xml::Document clip = ClipVideo(page, movie);
    src = clip.documentElement().selectSingleNode("embed").getAttribute("src").value_or("");
    return src.size();
  });
  state.counters["src_bytes"] = static_cast<double>(src.size());
}
BENCHMARK(BM_ClipVideo)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
