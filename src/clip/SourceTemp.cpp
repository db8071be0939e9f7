// Where a clip came from, in its plainest form until the source and metadata unit lands: the
// page's META keywords as the clip's keywords, its address in parts, and the two filters.
#include "clip/ClipReporter.h"
#include "clip/Source.h"
#include "platform/regexp.h"
#include "runtime/strings.h"

namespace {

std::string replacedAnyCase(const std::string& text, const char* pattern) {
  regexp::RegExp re = regexp::RegExp::Create();
  re.setGlobal(true);
  re.setIgnoreCase(true);
  re.setPattern(pattern);
  return re.Replace(text, "");
}

}  // namespace

void BuildMetaNode(const html::Document& page, const xml::Document& clip,
                   const html::Element& element, const std::string& text) {
  kClipReporter.guard("BuildMetaNode()", [&] {
    std::string keywords;
    for (const html::Element& meta : page.getElementsByTagName("META"))
      if (platform::equalsNoCase(meta.name(), "keywords")) keywords = meta.content();
    xml::Node meta = clip.documentElement().appendChild(clip.createElement("meta"));
    xml::Node words = meta.appendChild(clip.createElement("keywords"));
    words.appendChild(clip.createElement("auto")).setText(keywords);
  });
}

void BuildSourceNode(const xml::Document& clip, const html::Document& page) {
  kClipReporter.guard("BuildSourceNode()", [&] {
    const html::Location where = page.location();
    const std::size_t slash = where.pathname.rfind('/') + 1;  // 0 without one
    std::string baseHref;
    for (const html::Element& base : page.getElementsByTagName("BASE")) baseHref = base.href();
    const std::pair<const char*, std::string> parts[] = {{"protocol", where.protocol},
                                                         {"host", where.host},
                                                         {"path", where.pathname.substr(0, slash)},
                                                         {"page", where.pathname.substr(slash)},
                                                         {"query", where.search},
                                                         {"base-href", baseHref}};
    xml::Node source = clip.documentElement().appendChild(clip.createElement("source"));
    for (const auto& [name, value] : parts)
      source.appendChild(clip.createElement(name)).setText(value);
  });
}

std::string StripIFrames(const std::string& markup) {
  return replacedAnyCase(markup, "</?iframe[^>]*>");
}

std::string StripScriptElements(const std::string& markup) {
  return replacedAnyCase(markup, "<script[^>]*>[\\s\\S]*?</script>");
}
