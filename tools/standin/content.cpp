#include "content.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace standin::content {
namespace {

// Four colours: 0 is transparent, then dark, accent and light.
constexpr std::uint8_t kPalette[] = {0xFF, 0xFF, 0xFF, 0x33, 0x44, 0x66,
                                     0x2E, 0x9E, 0x4F, 0xDD, 0xEE, 0xFF};
constexpr std::uint8_t kMinCodeSize = 2;
constexpr unsigned kClear = 4;
constexpr unsigned kEnd = 5;
constexpr unsigned kCodeBits = 3;

using Art = std::vector<std::string_view>;

// '.' transparent, '#' dark, '+' accent, 'o' light.
std::uint8_t colourOf(char c) {
  switch (c) {
    case '#':
      return 1;
    case '+':
      return 2;
    case 'o':
      return 3;
    default:
      return 0;
  }
}

class BitWriter {
 public:
  void put(unsigned code) {
    for (unsigned bit = 0; bit < kCodeBits; ++bit) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if (code & (1u << bit)) bytes_.back() |= static_cast<char>(1u << (used_ % 8));
      ++used_;
    }
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  std::size_t used_ = 0;
};

// A clear code before every second pixel keeps the code table from growing, so every code
// stays three bits wide: no compression, but no table to get wrong either.
std::string pixelCodes(const Art& art) {
  BitWriter out;
  std::size_t n = 0;
  for (std::string_view row : art) {
    for (char c : row) {
      if (n++ % 2 == 0) out.put(kClear);
      out.put(colourOf(c));
    }
  }
  out.put(kEnd);
  return out.bytes();
}

void putWord(std::string& out, std::size_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

std::string subBlocks(const std::string& data) {
  std::string out;
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - at);
    out.push_back(static_cast<char>(n));
    out.append(data, at, n);
  }
  out.push_back('\0');
  return out;
}

std::string gif(const Art& art) {
  const std::size_t width = art.front().size();
  std::string out = "GIF89a";
  putWord(out, width);
  putWord(out, art.size());
  out += std::string("\x91\x00\x00", 3);  // global colour table of 4, background 0
  out.append(reinterpret_cast<const char*>(kPalette), sizeof kPalette);
  out += std::string("\x21\xF9\x04\x01\x00\x00\x00\x00", 8);  // colour 0 is transparent
  out += '\x2C';
  putWord(out, 0);
  putWord(out, 0);
  putWord(out, width);
  putWord(out, art.size());
  out += '\0';
  out += static_cast<char>(kMinCodeSize);
  out += subBlocks(pixelCodes(art));
  out += '\x3B';
  return out;
}

const Art kClipped = {
    "..........", "........++", ".......++.", "......++..", ".....++...",
    "++..++....", ".++++.....", "..++......", "..........", "oooooooooo",
};

const Art kSelectionLeft = {
    "####", "#o..", "#o..", "#o..", "#o..", "#o..", "#o..", "#o..", "#o..", "####",
};

Art mirrored(const Art& art, std::vector<std::string>& keep) {
  for (std::string_view row : art) keep.emplace_back(row.rbegin(), row.rend());
  return Art(keep.begin(), keep.end());
}

}  // namespace

std::string wordsOf(std::string_view markup) {
  std::string words;
  bool inTag = false;
  for (const char c : markup) {
    if (c == '<' || c == '>') {
      inTag = c == '<';
      continue;
    }
    const bool space = std::isspace(static_cast<unsigned char>(c)) != 0;
    if (inTag || (space && (words.empty() || words.back() == ' '))) continue;
    words += space ? ' ' : c;
  }
  return words;
}

std::string escapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string page(std::string_view title, std::string_view body) {
  const std::string t = escapeHtml(title);
  std::string out = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>";
  out += t;
  out += "</title></head>\n<body>\n<h1>";
  out += t;
  out += "</h1>\n";
  out += body;
  out += "\n</body></html>\n";
  return out;
}

// localhost too: pages served on this machine by that name can try the hover button.
std::string supportedVideoList() {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<sites>\n"
         "  <site domain=\"video.example.test\"/>\n"
         "  <site domain=\"clips.example.test\"/>\n"
         "  <site domain=\"movies.example.test\"/>\n"
         "  <site domain=\"localhost\"/>\n"
         "</sites>\n";
}

const std::vector<Picture>& pictures() {
  static const std::vector<Picture> all = [] {
    std::vector<std::string> rightRows;
    return std::vector<Picture>{
        {"/images/clipped.gif", gif(kClipped)},
        {"/images/selection-left.gif", gif(kSelectionLeft)},
        {"/images/selection-right.gif", gif(mirrored(kSelectionLeft, rightRows))},
    };
  }();
  return all;
}

}  // namespace standin::content
