// The attributes collection as page script reads it in the old object model. An attribute
// the object model knows as a property is listed under the property's name, with the value the
// property reads: a flag reads "true" whenever it is present, a number the decimal of the
// integer it starts with (its default when it starts with none); anything else is listed as
// written. After the specified ones come the element type's default pairs.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "headless/dom.h"
#include "runtime/strings.h"

namespace headless::dom {
namespace {

enum class Reads { Text, Flag, Number };

struct Property {
  std::string_view attribute;  // lower case, as parsed
  std::string_view name;
  Reads reads = Reads::Text;
  std::string_view fallback = {};  // a number's default
};

// Sorted by attribute name.
constexpr Property kProperties[] = {
    {"accept-charset", "acceptCharset"},
    {"accesskey", "accessKey"},
    {"bgcolor", "bgColor"},
    {"cellpadding", "cellPadding"},
    {"cellspacing", "cellSpacing"},
    {"checked", "checked", Reads::Flag},
    {"colspan", "colSpan", Reads::Number, "1"},
    {"compact", "compact", Reads::Flag},
    {"contenteditable", "contentEditable"},
    {"datetime", "dateTime"},
    {"defer", "defer", Reads::Flag},
    {"disabled", "disabled", Reads::Flag},
    {"frameborder", "frameBorder"},
    {"hidefocus", "hideFocus", Reads::Flag},
    {"http-equiv", "httpEquiv"},
    {"ismap", "isMap", Reads::Flag},
    {"longdesc", "longDesc"},
    {"marginheight", "marginHeight"},
    {"marginwidth", "marginWidth"},
    {"maxlength", "maxLength", Reads::Number, "2147483647"},
    {"multiple", "multiple", Reads::Flag},
    {"noresize", "noResize", Reads::Flag},
    {"noshade", "noShade", Reads::Flag},
    {"nowrap", "noWrap", Reads::Flag},
    {"readonly", "readOnly", Reads::Flag},
    {"rowspan", "rowSpan", Reads::Number, "1"},
    {"selected", "selected", Reads::Flag},
    {"tabindex", "tabIndex", Reads::Number, "0"},
    {"usemap", "useMap"},
    {"valign", "vAlign"},
};

static_assert(std::ranges::is_sorted(kProperties, {}, &Property::attribute));

const Property* propertyOf(std::string_view attribute) {
  const std::string lower = platform::lowerAscii(attribute);
  const auto* end = std::end(kProperties);
  const auto* it =
      std::lower_bound(std::begin(kProperties), end, lower,
                       [](const Property& p, const std::string& a) { return p.attribute < a; });
  return it != end && it->attribute == lower ? it : nullptr;
}

// The integer the text starts with, as strtol reads it, within the 32 bits the property has.
std::string numberRead(const std::string& text, std::string_view fallback) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str()) return std::string(fallback);
  return std::to_string(std::clamp<long>(n, INT_MIN, INT_MAX));
}

}  // namespace

std::pair<std::string, std::string> scriptAttribute(const std::string& name,
                                                    const std::string& value) {
  const Property* p = propertyOf(name);
  if (!p) return {name, value};
  switch (p->reads) {
    case Reads::Flag:
      return {std::string(p->name), "true"};
    case Reads::Number:
      return {std::string(p->name), numberRead(value, p->fallback)};
    case Reads::Text:
      break;
  }
  return {std::string(p->name), value};
}

const Attributes& defaultAttributes(const Node* element) {
  // Every element reports these; cells, images and a few others report more.
  static const Attributes kCommon = {{"contentEditable", "inherit"},
                                     {"disabled", "false"},
                                     {"hideFocus", "false"},
                                     {"tabIndex", "0"}};
  static const Attributes kCell = {{"contentEditable", "inherit"},
                                   {"disabled", "false"},
                                   {"hideFocus", "false"},
                                   {"tabIndex", "0"},
                                   {"rowSpan", "1"},
                                   {"colSpan", "1"},
                                   {"noWrap", "false"}};
  static const Attributes kImage = {{"contentEditable", "inherit"},
                                    {"disabled", "false"},
                                    {"hideFocus", "false"},
                                    {"tabIndex", "0"},
                                    {"isMap", "false"},
                                    {"loop", "1"},
                                    {"start", "fileopen"}};
  static const Attributes kNone;
  if (!element->isElement()) return kNone;
  if (element->is("TD") || element->is("TH")) return kCell;
  if (element->is("IMG")) return kImage;
  return kCommon;
}

}  // namespace headless::dom
