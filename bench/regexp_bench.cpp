// The replacements the toolbar counts a clip's characters after, each over 1 MB and 4 MB of
// markup (the time should grow fourfold), and the three in the order the count applies them. The
// markup is indented like a served page, with a style block on one line and another over several
// (which "." cannot cross), attributes, links, entities and accented and CJK words.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "platform/regexp.h"

namespace {

const std::string& page(std::size_t bytes) {
  static std::map<std::size_t, std::string> pages;
  std::string& text = pages[bytes];
  if (text.empty()) {
    static const char* const kWords[] = {"clip",         "the",   "caf\u00E9", "share",      "of",
                                         "\u6587\u7AE0", "limit", "video",     "na\u00EFve", "a"};
    std::uint32_t seed = 12345;
    std::string out =
        "<html>\n<head>\n  <style type=\"text/css\">p{margin:0} .x{color:red}</style>\n"
        "  <style>\n    body { font: 12px Arial; }\n    .clip { border: 1px solid; }\n"
        "  </style>\n</head>\n<body>\n";
    while (out.size() < bytes) {
      out += "  <div class=\"section\">\n    <p style=\"margin:0\">";
      for (int i = 0; i < 30; ++i) {
        seed = seed * 1103515245u + 12345u;
        out += kWords[(seed >> 16) % 10];
        out += i % 7 == 6 ? "\n      " : " ";
      }
      out += "<a href=\"/clip?id=1&amp;x=2\">more</a>&nbsp;</p>\n";
      out += "    <style>.s{display:none}</style>\n  </div>\n";
    }
    text = out + "</body>\n</html>\n";
  }
  return text;
}

regexp::RegExp global(const char* pattern) {
  regexp::RegExp re = regexp::RegExp::Create();
  re.setPattern(pattern);
  re.setGlobal(true);
  return re;
}

void replaceBench(benchmark::State& state, std::initializer_list<const char*> patterns) {
  std::vector<regexp::RegExp> steps;
  for (const char* p : patterns) steps.push_back(global(p));
  const std::string& markup = page(static_cast<std::size_t>(state.range(0)));
  std::size_t left = 0;
  for (auto _ : state) {
    std::string text = markup;
    for (const regexp::RegExp& step : steps) text = step.Replace(text, " ");
    left = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(markup.size()));
  state.counters["bytes_left"] = static_cast<double>(left);
}

void BM_RegExpStyleBlocks(benchmark::State& state) {
  replaceBench(state, {"<style.*?>.*?</style>"});
}
BENCHMARK(BM_RegExpStyleBlocks)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

void BM_RegExpTags(benchmark::State& state) {
  replaceBench(state, {"<[^>]+>"});
}
BENCHMARK(BM_RegExpTags)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

void BM_RegExpWhiteSpace(benchmark::State& state) {
  replaceBench(state, {"\\s+"});
}
BENCHMARK(BM_RegExpWhiteSpace)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

void BM_RegExpCountingChain(benchmark::State& state) {
  replaceBench(state, {"<style.*?>.*?</style>", "<[^>]+>", "\\s+"});
}
BENCHMARK(BM_RegExpCountingChain)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
