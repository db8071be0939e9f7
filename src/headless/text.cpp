// Text metrics of the headless screen, measured as GDI measures on a 96-dpi one. Arial is
// measured in Liberation Sans, whose design advance widths and vertical metrics are Arial's;
// FreeType reads it.
//
// GDI's rules, followed here:
// - A negative lfHeight asks for the em, so the em is round(points * 96 / 72) pixels: 11 for
//   8.25 pt, 12 for 9 pt.
// - A character's advance is whole pixels: the hinted advance, which, with FreeType's v40
//   interpreter (pinned, so FREETYPE_PROPERTIES cannot change it), is the design advance scaled
//   to the em and rounded to the nearest pixel. A text's width is the sum of its characters'
//   advances, with no kerning, as GetTextExtentPoint32 has it. The v35 interpreter would let the
//   font's own instructions widen glyphs instead, and Liberation's instructions are not Arial's.
// - tmHeight is tmAscent + tmDescent, each of the font's Windows ascent and descent (OS/2
//   usWinAscent, usWinDescent) scaled to the em and rounded on its own: 10 + 2 = 12 for 11 px.
//
// Faces are opened once per process and shared by every thread under one lock; advances are
// kept per face, em and code point. A character the font lacks measures as its missing glyph.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_DRIVER_H
#include FT_MODULE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/controls.h"
#include "runtime/error.h"
#include "runtime/strings.h"

namespace ui {
namespace {

constexpr std::int32_t kFileNotFound = 53;
constexpr double kScreenDpi = 96;
constexpr const char* kFontDir = "/usr/share/fonts/truetype/liberation2";
// Where Arial's twin is, when not in kFontDir.
constexpr const char* kFontDirVariable = "FOLVERRA_FONT_DIR";

std::string fontFile(const FontSpec& font) {
  if (!platform::equalsNoCase(font.name, "Arial") &&
      !platform::equalsNoCase(font.name, "Liberation Sans"))
    platform::raise(platform::kInvalidCall, "No metrics for the font " + font.name +
                                                " on this platform; Arial is measured here");
  const char* dir = std::getenv(kFontDirVariable);
  return (std::filesystem::path(dir && *dir ? dir : kFontDir) /
          (font.bold ? "LiberationSans-Bold.ttf" : "LiberationSans-Regular.ttf"))
      .string();
}

long emPixels(const FontSpec& font) {
  return std::max(1L, std::lround(font.size * kScreenDpi / 72));
}

long roundedPixels(FT_Pos pos26_6) {
  return static_cast<long>((pos26_6 + 32) >> 6);
}

class Face {
 public:
  Face(FT_Library library, const std::string& file) {
    if (const FT_Error error = FT_New_Face(library, file.c_str(), 0, &face_))
      platform::raise(kFileNotFound,
                      "Cannot read the font file " + file + " (FreeType error " +
                          std::to_string(error) +
                          "): Arial is measured in Liberation Sans (Debian fonts-liberation2), "
                          "or set " +
                          kFontDirVariable + " to its folder");
  }
  ~Face() { FT_Done_Face(face_); }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  SIZE measure(long em, std::u16string_view text) {
    SIZE size{0, height(em)};
    for (std::size_t i = 0; i < text.size(); ++i) {
      char32_t c = text[i];
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] < 0xE000)
        c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
      size.cx += advance(em, c);
    }
    return size;
  }

 private:
  void setEm(long em) {
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(em)))
      platform::raise(platform::kInvalidCall,
                      "The font cannot be sized to " + std::to_string(em) + " pixels");
  }

  LONG advance(long em, char32_t c) {
    const auto key = (static_cast<std::uint64_t>(em) << 32) | c;
    if (auto it = advances_.find(key); it != advances_.end()) return it->second;
    setEm(em);
    if (FT_Load_Glyph(face_, FT_Get_Char_Index(face_, c), FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP)) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      platform::raise(platform::kInvalidCall,
                      std::string("The font has no readable glyph for ") + code);
    }
    return advances_[key] = roundedPixels(face_->glyph->advance.x);
  }

  LONG height(long em) {
    if (auto it = heights_.find(em); it != heights_.end()) return it->second;
    setEm(em);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    FT_Long ascent = face_->ascender, descent = -face_->descender;
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
      ascent = os2->usWinAscent;
      descent = os2->usWinDescent;
    }
    const FT_Fixed scale = face_->size->metrics.y_scale;
    return heights_[em] =
               roundedPixels(FT_MulFix(ascent, scale)) + roundedPixels(FT_MulFix(descent, scale));
  }

  FT_Face face_ = nullptr;
  std::unordered_map<std::uint64_t, LONG> advances_;
  std::map<long, LONG> heights_;
};

class Fonts {
 public:
  Fonts() {
    if (FT_Init_FreeType(&library_))
      platform::raise(platform::kOutOfMemory, "FreeType cannot start");
    FT_UInt v40 = TT_INTERPRETER_VERSION_40;
    if (FT_Property_Set(library_, "truetype", "interpreter-version", &v40))
      platform::raise(platform::kInternalError, "FreeType lacks its v40 TrueType interpreter");
  }

  SIZE measure(const FontSpec& font, const std::string& utf8) {
    const std::string file = fontFile(font);
    const std::u16string text = platform::toUtf16(utf8);
    std::lock_guard lock(mutex_);
    auto it = faces_.find(file);
    // A file that could not be read is tried again next time: it may have been installed since.
    if (it == faces_.end()) it = faces_.emplace(file, std::make_unique<Face>(library_, file)).first;
    return it->second->measure(emPixels(font), text);
  }

 private:
  std::mutex mutex_;
  FT_Library library_ = nullptr;
  std::map<std::string, std::unique_ptr<Face>> faces_;  // by file
};

// Kept for the life of the process: threads may measure until it ends.
Fonts& fonts() {
  static Fonts& f = *new Fonts();
  return f;
}

}  // namespace

SIZE MeasureText(const FontSpec& font, const std::string& utf8) {
  return fonts().measure(font, utf8);
}

}  // namespace ui
