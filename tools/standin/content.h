// What the stand-in answers with: its pages, pictures and the supported-video list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace standin::content {

std::string escapeHtml(std::string_view text);
// What a reader of markup sees: its words without the tags, spaces run together.
std::string wordsOf(std::string_view markup);
// A whole HTML page titled title; body is markup.
std::string page(std::string_view title, std::string_view body);
std::string supportedVideoList();

struct Picture {
  std::string_view path;
  std::string bytes;  // a GIF
};
// The pictures the toolbar loads from the service.
const std::vector<Picture>& pictures();

}  // namespace standin::content
