// Plug-in controls of OBJECT elements. There is no plug-in here: a control is recognised by
// the class id the page gives it, and answers from the PARAM elements the page passes it, which
// is where the real controls took these values from.
#include <array>

#include "headless/dom.h"
#include "runtime/error.h"
#include "runtime/strings.h"

namespace html {

namespace dom = headless::dom;

struct ControlImpl {
  std::string typeName;
  // Property path -> the PARAM names that set it, in order of preference.
  std::vector<std::pair<std::string, std::vector<std::string>>> members;
  std::shared_ptr<dom::DocumentData> doc;
  dom::Node* object;
};

namespace {

struct KnownControl {
  const char* classId;
  const char* typeName;
  const char* member;
  std::array<const char*, 3> params;
};

constexpr KnownControl kControls[] = {
    {"clsid:22D6F312-B0F6-11D0-94AB-0080C74C7E95",
     "MediaPlayer",
     "FileName",
     {"filename", "src", "url"}},
    {"clsid:6BF52A52-394A-11D3-B153-00C04F79FAA6",
     "WindowsMediaPlayer",
     "currentMedia.sourceURL",
     {"url", "filename", "src"}},
    {"clsid:D27CDB6E-AE6D-11CF-96B8-444553540000",
     "ShockwaveFlash",
     "Movie",
     {"movie", "src", nullptr}},
    // qtsrc names the movie played where both are given.
    {"clsid:02BF25D5-8C17-4B23-BC80-D3488ABDDC6B",
     "QTActiveXPlugin",
     "URL",
     {"qtsrc", "src", nullptr}},
};

// The value of the last PARAM below the object with that name (compared without case).
std::string paramValue(dom::Node* object, std::string_view name) {
  std::string value;
  for (dom::Node* p : dom::elementsBelow(object, "PARAM")) {
    const std::string* n = dom::findAttribute(p, "name");
    const std::string* v = dom::findAttribute(p, "value");
    if (n && v && platform::equalsNoCase(*n, name)) value = *v;
  }
  return value;
}

}  // namespace

std::string Control::typeName() const {
  return isNothing() ? "Nothing" : self().typeName;
}

std::string Control::get(const std::string& member) const {
  const Impl& s = self();
  for (const auto& [path, params] : s.members) {
    if (!platform::equalsNoCase(path, member)) continue;
    for (const std::string& p : params) {
      std::string v = paramValue(s.object, p);
      if (!v.empty()) return v;
    }
    return {};
  }
  platform::raise(platform::kNotSupported);
}

Control Element::object() const {
  const Impl& s = self();
  if (!s.node->is("OBJECT")) platform::raise(platform::kNotSupported);
  const std::string* classId = dom::findAttribute(s.node, "classid");
  if (!classId) return Control();
  for (const KnownControl& k : kControls) {
    if (!platform::equalsNoCase(*classId, k.classId)) continue;
    std::vector<std::string> params;
    for (const char* p : k.params)
      if (p) params.emplace_back(p);
    return Control(std::make_shared<Control::Impl>(
        Control::Impl{k.typeName, {{k.member, params}}, s.doc, s.node}));
  }
  return Control();
}

// Elements load with their page: they are complete when it is.
std::string Element::readyState() const {
  const Impl& s = self();
  if (!s.node->isElement()) platform::raise(platform::kNotSupported);
  const std::string& page = s.node->doc->readyState;
  if (!s.node->is("OBJECT")) return page;
  if (page == "complete") return "4";
  if (page == "interactive") return "3";
  return page == "loading" ? "1" : "0";
}

}  // namespace html
