// Decoding a page's bytes before it is parsed: a 4 MB page in windows-1252 (declared by a meta,
// so the prescan runs too), the same text in UTF-8, and a GB18030 page through iconv. Text is
// mostly ASCII markup with accented words, as Western pages are. Last, a page no byte of which
// decodes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "headless/decode.h"

namespace {

constexpr std::size_t kPageBytes = std::size_t{4} << 20;

// A deterministic page of about kPageBytes bytes from the given words.
std::string generatePage(const std::string& head, const std::vector<std::string>& words) {
  std::uint32_t seed = 12345;
  std::string out = "<html><head>" + head + "<title>Page</title></head><body>";
  while (out.size() < kPageBytes) {
    out += "<div class=section><p>";
    for (int i = 0; i < 40; ++i) {
      seed = seed * 1103515245u + 12345u;
      out += words[(seed >> 16) % words.size()];
      out += ' ';
    }
    out += "<a href='/x'>more</a></p></div>\n";
  }
  return out + "</body></html>";
}

void decodeBench(benchmark::State& state, const std::string& page) {
  for (auto _ : state) benchmark::DoNotOptimize(headless::htmlToUtf8(page, ""));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(page.size()));
}

void BM_DecodeWindows1252(benchmark::State& state) {
  static const std::string page = generatePage(
      "<meta charset=windows-1252>",
      {"the", "caf\xE9", "na\xEFve", "\x80", "page", "clip", "\x93quoted\x94", "r\xE9sum\xE9"});
  decodeBench(state, page);
}
BENCHMARK(BM_DecodeWindows1252)->Unit(benchmark::kMillisecond);

void BM_DecodeUtf8(benchmark::State& state) {
  static const std::string page = generatePage(
      "<meta charset=utf-8>", {"the", "caf\xC3\xA9", "na\xC3\xAFve", "\xE2\x82\xAC", "page", "clip",
                               "\xE2\x80\x9Cquoted\xE2\x80\x9D", "r\xC3\xA9sum\xC3\xA9"});
  decodeBench(state, page);
}
BENCHMARK(BM_DecodeUtf8)->Unit(benchmark::kMillisecond);

void BM_DecodeGb18030(benchmark::State& state) {
  static const std::string page = generatePage(
      "<meta charset=gbk>", {"the", "\xD6\xD0\xCE\xC4", "page", "\xD2\xB3\xC3\xE6", "clip"});
  decodeBench(state, page);
}
BENCHMARK(BM_DecodeGb18030)->Unit(benchmark::kMillisecond);

// The worst case: every byte is one iconv cannot read, so each costs a call and a U+FFFD.
void BM_DecodeUnreadableGb18030(benchmark::State& state) {
  static const std::string page = "<meta charset=gbk>" + std::string(kPageBytes, '\xFF');
  decodeBench(state, page);
}
BENCHMARK(BM_DecodeUnreadableGb18030)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
