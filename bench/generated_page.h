// A generated page with a realistic mix of headings, paragraphs, links, images, tables and
// lists in nested divs, for the benchmarks that load or walk pages of a given size.
#pragma once

#include <cstdint>
#include <string>

// A deterministic page of about `bytes` bytes.
inline std::string generatePage(std::size_t bytes) {
  static const char* const kWords[] = {"clip",    "toolbar", "page",  "the",    "of",
                                       "article", "share",   "limit", "window", "selection",
                                       "a",       "video",   "image", "band",   "service"};
  std::uint32_t seed = 12345;
  const auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
  };
  const auto sentence = [&](std::string& out, int words) {
    for (int i = 0; i < words; ++i) {
      if (i) out += ' ';
      out += kWords[next() % 15];
    }
    out += '.';
  };
  std::string out = "<html><head><title>Generated</title><style>p{margin:0}</style></head><body>";
  int section = 0;
  while (out.size() < bytes) {
    out += "<div class=section id=s" + std::to_string(section++) + "><div class=inner><h2>";
    sentence(out, 4);
    out += "</h2>";
    for (int p = 0; p < 3; ++p) {
      out += "<p>";
      sentence(out, 20 + next() % 40);
      out += " <a href='/x'>";
      sentence(out, 3);
      out += "</a> <b>";
      sentence(out, 5);
      out += "</b></p>";
    }
    out += "<img src=pic.gif width=" + std::to_string(50 + next() % 200) +
           " height=" + std::to_string(30 + next() % 100) + ">";
    out += "<table width=600><tr><th>Name</th><th>Value</th><th>Note</th></tr>";
    for (int r = 0; r < 4; ++r) {
      out += "<tr><td>";
      sentence(out, 2);
      out += "</td><td>" + std::to_string(next()) + "</td><td>";
      sentence(out, 8);
      out += "</td></tr>";
    }
    out += "</table><ul>";
    for (int i = 0; i < 3; ++i) {
      out += "<li>";
      sentence(out, 6);
      out += "</li>";
    }
    out += "</ul></div></div>\n";
  }
  return out + "</body></html>";
}
