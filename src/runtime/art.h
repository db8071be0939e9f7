// The pictures compiled into the module, as BMP file bytes, by name.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace ui {

// Empty when there is no picture of that name.
std::span<const std::uint8_t> ArtBytes(std::string_view name);

}  // namespace ui
