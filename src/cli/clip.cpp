#include "cli/clip.h"

#include <cstdlib>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "band/mdlCommon.h"
#include "cli/session.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "headless/pointer.h"
#include "page/ElementPath.h"
#include "page/SharedReferences.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "platform/xml.h"
#include "runtime/form.h"
#include "runtime/guard.h"
#include "toolbar/frmToolband.h"

namespace cli {
namespace {

using nlohmann::ordered_json;

constexpr const char* kUsage =
    "usage: folverra clip PAGE [GESTURE...] [--json]\n"
    "\n"
    "Loads PAGE (a path, a file: URL, or an http: URL on loopback) in a headless browser window\n"
    "with the toolbar band sited, on a stand-in of the Folverra service started in this process,\n"
    "then makes each gesture in order, as a user's mouse makes it: through the toolbar's window\n"
    "messages and the page's mouse events.\n"
    "\n"
    "Gestures:\n"
    "  --clip-button     click the toolbar's clip button (the picture shown: it starts clipping,\n"
    "                    or ends it when clipping is on).\n"
    "  --move-to TARGET  move the mouse onto an element: \"#id\" (looked for in the page, then in\n"
    "                    its frames) or an element path of the clip document, such as\n"
    "                    \"ELEMENT-ID[main]/P[0]/\" or \"BODY\". The pointer goes to a point of "
    "the\n"
    "                    element that no child covers, else to its centre.\n"
    "  --move-out        move the mouse out of the page.\n"
    "  --resize WxH      resize the page's area to W x H pixels.\n"
    "\n"
    "Then it prints the clipping mode, the clip bar's labels and control rectangles, the four\n"
    "sides of the frame and the framed element, the clip document and the errors logged.\n"
    "--json prints the same as one JSON object:\n"
    "  mode      0 or 1\n"
    "  clipBar   null, or {count, remaining, word, window, controls {name: [left, top, width,\n"
    "            height, visible]}}; window is [left, top, width, height, visible] in the pane\n"
    "  frame     null, or {left, top, right, bottom: [left, top, width, height, display] as\n"
    "            the border's style holds them, element: null or {path, tag, rect: [left, top,\n"
    "            width, height]} in the page's client area}\n"
    "  clip      the clip document's XML text, or null\n"
    "  errors    [{object, routine, number, description, moreInfo}] logged during the run\n";

struct UsageError {
  std::string message;
};

struct Gesture {
  enum Kind { ClipButton, MoveTo, MoveOut, Resize } kind;
  std::string argument;
  long width = 0, height = 0;
};

struct Options {
  std::string page;
  std::vector<Gesture> gestures;
  bool json = false;
};

Gesture resizeGesture(const std::string& size) {
  Gesture g{Gesture::Resize, size};
  char* end = nullptr;
  g.width = std::strtol(size.c_str(), &end, 10);
  if (end && *end == 'x') g.height = std::strtol(end + 1, &end, 10);
  if (!end || *end || g.width <= 0 || g.height <= 0)
    throw UsageError{"--resize takes WxH, two positive numbers, not '" + size + "'"};
  return g;
}

Options parse(const std::vector<std::string>& args) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size() || args[i + 1].empty()) throw UsageError{a + " takes a value"};
      return args[++i];
    };
    if (a == "--json")
      o.json = true;
    else if (a == "--clip-button")
      o.gestures.push_back({Gesture::ClipButton, {}});
    else if (a == "--move-to")
      o.gestures.push_back({Gesture::MoveTo, value()});
    else if (a == "--move-out")
      o.gestures.push_back({Gesture::MoveOut, {}});
    else if (a == "--resize")
      o.gestures.push_back(resizeGesture(value()));
    else if (!a.empty() && a[0] != '-' && o.page.empty())
      o.page = a;
    else
      throw UsageError{"unexpected argument '" + a + "'"};
  }
  if (o.page.empty()) throw UsageError{"clip needs a page"};
  return o;
}

// The error log's records, to tell those of this run from older ones.
std::vector<ordered_json> loggedErrors() {
  std::vector<ordered_json> records;
  xml::Document log = xml::Document::Create();
  if (!sys::FileExists(ErrorLogPath()) || !log.load(ErrorLogPath())) return records;
  const xml::NodeList errors = log.documentElement().selectNodes("error");
  for (long i = 0; i < errors.length(); ++i) {
    const xml::Node e = errors.item(i);
    const auto field = [&](const char* name) {
      const xml::Node f = e.selectSingleNode(name);
      return f ? f.text() : std::string();
    };
    records.push_back({{"object", field("object")},
                       {"routine", field("routine")},
                       {"number", std::atol(field("number").c_str())},
                       {"description", field("description")},
                       {"moreInfo", field("more-info")}});
  }
  return records;
}

// The documents of the page and its frames, the page first.
std::vector<html::Document> documents(const headless::Pane& pane) {
  std::vector<html::Document> result;
  const browser::DocumentObject doc = pane.webBrowser().Document();
  if (doc.typeName() == "HTMLDocument") result.push_back(doc.html());
  for (const auto& frame : pane.frames)
    for (const html::Document& d : documents(*frame)) result.push_back(d);
  return result;
}

html::Element atPath(const html::Document& doc, const std::string& path) {
  html::Element at = doc.body();
  if (path == "BODY") return at;
  std::size_t from = 0;
  while (at && from < path.size()) {
    const std::size_t open = path.find('[', from), close = path.find("]/", from);
    if (open == std::string::npos || close == std::string::npos || close < open) return {};
    const std::string tag = path.substr(from, open - from);
    const std::string inside = path.substr(open + 1, close - open - 1);
    from = close + 2;
    if (tag == "ELEMENT-ID") {
      at = doc.getElementById(inside);
      continue;
    }
    char* end = nullptr;
    long index = std::strtol(inside.c_str(), &end, 10);
    if (inside.empty() || *end) return {};
    if (tag == "DIV" && at.tagName() == "BODY") ++index;  // the paths' own count, undone
    const std::vector<html::Element> tagged = at.allTags(tag);
    at = index >= 0 && index < static_cast<long>(tagged.size()) ? tagged[index] : html::Element();
  }
  return at;
}

struct Target {
  html::Document doc;
  html::Element element;
};

Target locate(headless::BrowserWindow& window, const std::string& target) {
  const std::vector<html::Document> docs = documents(window.page());
  if (target.size() > 1 && target[0] == '#') {
    for (const html::Document& doc : docs)
      if (html::Element e = doc.getElementById(target.substr(1))) return {doc, e};
  } else if (!docs.empty()) {
    if (html::Element e = atPath(docs.front(), target)) return {docs.front(), e};
  }
  throw UsageError{"the page has no element '" + target + "'"};
}

// A user aims at what they can see of the element: a point no child covers, if there is one.
struct Point {
  long x, y;
};

Point aimAt(const Target& t) {
  const html::Rect r = t.element.getBoundingClientRect();
  const Point candidates[] = {{(r.left + r.right) / 2, (r.top + r.bottom) / 2},
                              {r.left + 1, r.top + 1},
                              {r.right - 2, r.bottom - 2},
                              {r.left + 1, r.bottom - 2},
                              {r.right - 2, r.top + 1}};
  for (const Point& p : candidates)
    if (t.doc.elementFromPoint(p.x, p.y).is(t.element)) return p;
  return candidates[0];
}

void pump() {
  ui::DoEvents();
}

class Session {
 public:
  explicit Session(headless::BrowserWindow& window) : window_(window) {}

  void perform(const Gesture& g) {
    switch (g.kind) {
      case Gesture::ClipButton:
        clickClipButton();
        break;
      case Gesture::MoveTo:
        moveTo(locate(window_, g.argument));
        break;
      case Gesture::MoveOut:
        moveOut();
        break;
      case Gesture::Resize:
        window_.ResizePage(g.width, g.height);
        break;
    }
    pump();
  }

 private:
  // A user's click comes once the band has laid its buttons out.
  void clickClipButton() {
    frmToolband& form = ui::Instance<frmToolband>::get();
    MSG msg;
    while (form.tmrLoad.Enabled() && ui::GetMessage(&msg)) ui::DispatchMessage(&msg);
    const ui::Image& button = form.imgClipIt[form.imgClipIt[0].Visible ? 0 : 1];
    const RECT r = button.formRect();
    const LPARAM at = (static_cast<LPARAM>(r.top + 1) << 16) | (r.left + 1);
    ui::SendMessage(form.hWnd(), WM_LBUTTONDOWN, 0, at);
    ui::SendMessage(form.hWnd(), WM_LBUTTONUP, 0, at);
  }

  void moveTo(const Target& t) {
    if (hovered_ && !hovered_.is(t.doc)) moveOut();
    const Point p = aimAt(t);
    headless::pointer::move(t.doc, p.x, p.y);
    hovered_ = t.doc;
  }

  void moveOut() {
    if (hovered_) headless::pointer::move(hovered_, -1, -1);
    hovered_ = {};
  }

  headless::BrowserWindow& window_;
  html::Document hovered_;
};

// Reading the toolbar's state goes through the object model, which may fail like any call.
template <class F>
ordered_json readOr(F&& read) {
  ordered_json result;
  platform::guarded(
      "folverra clip", [](std::string_view, const platform::Error&) {}, [&] { result = read(); });
  return result;
}

ordered_json rectOf(long left, long top, long width, long height) {
  return ordered_json::array({left, top, width, height});
}

ordered_json clipBarState() {
  if (!ui::Instance<frmClipBar>::exists() || !ui::Instance<frmClipBar>::get().isLoaded())
    return nullptr;
  frmClipBar& bar = ui::Instance<frmClipBar>::get();
  RECT w{};
  ui::GetWindowRect(bar.hWnd(), &w);
  POINT origin{w.left, w.top};
  ui::ScreenToClient(ui::GetParent(bar.hWnd()), &origin);
  ordered_json window = rectOf(origin.x, origin.y, w.right - w.left, w.bottom - w.top);
  window.push_back(static_cast<bool>(ui::IsWindowVisible(bar.hWnd())));
  ordered_json controls = ordered_json::object();
  const std::pair<const char*, const ui::Control*> named[] = {
      {"imgBackground", &bar.imgBackground},
      {"imgTagline", &bar.imgTagline},
      {"imgDoneClipping", &bar.imgDoneClipping},
      {"imgChooseOption", &bar.imgChooseOption},
      {"lblCharCount", &bar.lblCharCount},
      {"lblCharactersClipped", &bar.lblCharactersClipped},
      {"lblCharsRemaining", &bar.lblCharsRemaining},
      {"lblCharsRemaingingText", &bar.lblCharsRemaingingText},
      {"lblPublishingLimit", &bar.lblPublishingLimit},
      {"lblHelp", &bar.lblHelp},
      {"lblCancel", &bar.lblCancel}};
  for (const auto& [name, c] : named) {
    controls[name] = rectOf(c->Left, c->Top, c->Width, c->Height);
    controls[name].push_back(c->Visible);
  }
  return {{"count", bar.lblCharCount.caption()},
          {"remaining", bar.lblCharsRemaining.caption()},
          {"word", bar.lblCharsRemaingingText.caption()},
          {"window", window},
          {"controls", controls}};
}

long pixels(const std::string& length) {
  return std::strtol(length.c_str(), nullptr, 10);
}

ordered_json sideOf(const html::Element& border) {
  const html::Style s = border.style();
  ordered_json side =
      rectOf(pixels(s.left()), pixels(s.top()), pixels(s.width()), pixels(s.height()));
  side.push_back(s.display());
  return side;
}

ordered_json framedElement() {
  const html::Element e = g_HighlightElement();
  if (!e) return nullptr;
  const html::Rect r = e.getBoundingClientRect();
  return {{"path", ElementPath(e)},
          {"tag", e.tagName()},
          {"rect", rectOf(r.left, r.top, r.right - r.left, r.bottom - r.top)}};
}

// The borders of the page framed last, or else of the first page that has them.
ordered_json frameState(headless::BrowserWindow& window) {
  html::Element sides[] = {g_BorderLeft(), g_BorderTop(), g_BorderRight(), g_BorderBottom()};
  if (!sides[0]) {
    for (const html::Document& doc : documents(window.page())) {
      if (!doc.getElementById("dvLumBorderLeft")) continue;
      const char* ids[] = {"dvLumBorderLeft", "dvLumBorderTop", "dvLumBorderRight",
                           "dvLumBorderBottom"};
      for (int i = 0; i < 4; ++i) sides[i] = doc.getElementById(ids[i]);
      break;
    }
  }
  if (!sides[0]) return nullptr;
  return {{"left", sideOf(sides[0])},
          {"top", sideOf(sides[1])},
          {"right", sideOf(sides[2])},
          {"bottom", sideOf(sides[3])},
          {"element", readOr(framedElement)}};
}

ordered_json state(headless::BrowserWindow& window, std::size_t earlierErrors) {
  std::vector<ordered_json> errors = loggedErrors();
  errors.erase(errors.begin(),
               errors.begin() + static_cast<long>(std::min(earlierErrors, errors.size())));
  const xml::Document clip = g_ClipXML();
  return {{"mode", ui::Instance<frmToolband>::get().bLumoraMode},
          {"clipBar", readOr(clipBarState)},
          {"frame", readOr([&] { return frameState(window); })},
          {"clip", clip ? ordered_json(clip.xml()) : ordered_json(nullptr)},
          {"errors", errors}};
}

std::string placement(const ordered_json& r) {
  std::ostringstream out;
  out << r[0] << ',' << r[1] << ' ' << r[2] << 'x' << r[3] << ' ';
  if (r[4].is_boolean())
    out << (r[4].get<bool>() ? "visible" : "hidden");
  else
    out << r[4].get<std::string>();
  return out.str();
}

void printForPerson(const ordered_json& s) {
  std::cout << "mode: " << s["mode"] << '\n';
  const ordered_json& bar = s["clipBar"];
  if (bar.is_null()) {
    std::cout << "clip bar: not loaded\n";
  } else {
    std::cout << "clip bar: " << bar["count"].get<std::string>() << " characters clipped, "
              << bar["remaining"].get<std::string>() << bar["word"].get<std::string>()
              << "sharing limit\n  window " << placement(bar["window"]) << '\n';
    for (const auto& [name, r] : bar["controls"].items())
      std::cout << "  " << name << ' ' << placement(r) << '\n';
  }
  const ordered_json& frame = s["frame"];
  if (frame.is_null()) {
    std::cout << "frame: none\n";
  } else {
    const ordered_json& e = frame["element"];
    std::cout << "frame: "
              << (e.is_null() ? std::string("hidden")
                              : "around " + e["tag"].get<std::string>() + ' ' +
                                    e["path"].get<std::string>())
              << '\n';
    for (const char* side : {"left", "top", "right", "bottom"})
      std::cout << "  " << side << ' ' << placement(frame[side]) << '\n';
  }
  std::cout << "clip: " << (s["clip"].is_null() ? "none" : s["clip"].get<std::string>()) << '\n';
  std::cout << "errors: " << s["errors"].size() << '\n';
  for (const ordered_json& e : s["errors"])
    std::cout << "  " << e["object"].get<std::string>() << ' ' << e["routine"].get<std::string>()
              << ": " << e["number"] << ' ' << e["description"].get<std::string>() << '\n';
}

int run(const Options& o) {
  const std::size_t earlierErrors = loggedErrors().size();
  return withPage(o.page, [&](headless::BrowserWindow& window) {
    Session session(window);
    try {
      for (const Gesture& g : o.gestures) session.perform(g);
    } catch (const UsageError& e) {
      std::cerr << "folverra: " << e.message << '\n';
      return 2;
    }
    const ordered_json s = state(window, earlierErrors);
    if (o.json)
      std::cout << s.dump(2) << '\n';
    else
      printForPerson(s);
    return 0;
  });
}

}  // namespace

int clip(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  try {
    return run(parse(args));
  } catch (const UsageError& e) {
    std::cerr << "folverra: " << e.message << " (see folverra clip --help)\n";
    return 2;
  }
}

}  // namespace cli
