# Writes OUTPUT, a C++ source holding every assets/*.bmp as bytes, so the module carries its
# own pictures on both platforms. Run as: cmake -DASSETS=dir -DOUTPUT=file -P embed-art.cmake
file(GLOB pictures "${ASSETS}/*.bmp")
list(SORT pictures)
set(body "")
set(table "")
foreach(picture IN LISTS pictures)
  get_filename_component(name "${picture}" NAME_WE)
  string(MAKE_C_IDENTIFIER "${name}" id)
  file(READ "${picture}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const std::uint8_t k_${id}[] = {${bytes}};\n")
  string(APPEND table "    {\"${name}\", k_${id}},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from assets/*.bmp by cmake/embed-art.cmake.
#include \"runtime/art.h\"

#include <string_view>

namespace ui {
namespace {
${body}
struct Art {
  std::string_view name;
  std::span<const std::uint8_t> bytes;
};
const Art kArt[] = {
${table}};
}  // namespace

std::span<const std::uint8_t> ArtBytes(std::string_view name) {
  for (const Art& art : kArt)
    if (art.name == name) return art.bytes;
  return {};
}

}  // namespace ui
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
