#include "cli/report.h"

#include <cstdlib>
#include <iostream>
#include <sstream>

#include "band/mdlCommon.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "dialogs/frmContextMenu.h"
#include "dialogs/frmMouseOver.h"
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

// Where a window lies in its parent's client area, and its size.
ordered_json placeInParent(HWND hwnd) {
  RECT w{};
  ui::GetWindowRect(hwnd, &w);
  POINT origin{w.left, w.top};
  ui::ScreenToClient(ui::GetParent(hwnd), &origin);
  return rectOf(origin.x, origin.y, w.right - w.left, w.bottom - w.top);
}

ordered_json clipBarState() {
  frmClipBar* loaded = loadedForm<frmClipBar>();
  if (!loaded) return nullptr;
  frmClipBar& bar = *loaded;
  ordered_json window = placeInParent(bar.hWnd());
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

ordered_json hoverButtonState() {
  frmMouseOver* loaded = loadedForm<frmMouseOver>();
  if (!loaded) return nullptr;
  frmMouseOver& button = *loaded;
  ordered_json picture = nullptr;
  for (std::size_t i = 0; i < button.imgLumora.size(); ++i)
    if (button.imgLumora[i].Visible) picture = i;
  return {{"shown", static_cast<bool>(ui::IsWindowVisible(button.hWnd()))},
          {"picture", picture},
          {"rect", placeInParent(button.hWnd())}};
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
ordered_json frameState(const headless::BrowserWindow& window) {
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

// The overlays in the order the clip keeps them.
ordered_json overlays() {
  ordered_json result = ordered_json::array();
  for (std::int32_t i = 1; i <= g_ClippedElementCount(); ++i) {
    const html::Element overlay = g_ElementOverlays()[i];
    result.push_back(
        {{"clipIndex", std::atol(overlay.getAttribute("clip-index").value_or("").c_str())},
         {"style", overlay.style().cssText()},
         {"picture", overlay.innerHTML()}});
  }
  return result;
}

ordered_json markers(const headless::BrowserWindow& window) {
  ordered_json result = ordered_json::array();
  for (const html::Document& doc : documents(window.page()))
    for (const html::Element& e : doc.getElementsByName("Folverra_SelectionBounds"))
      result.push_back({{"clipIndex", std::atol(e.getAttribute("clip-index").value_or("").c_str())},
                        {"src", e.src()}});
  return result;
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

// Each entry of the level list with the element it stands for; level is the slider's value that
// chooses it, null for an element passed over.
ordered_json contextMenuState() {
  frmContextMenu* loaded = loadedForm<frmContextMenu>();
  if (!loaded) return nullptr;
  frmContextMenu& menu = *loaded;
  RECT w{};
  ui::GetWindowRect(menu.hWnd(), &w);
  ordered_json levels = ordered_json::array();
  for (const frmContextMenu::Level& l : menu.walkLevels())
    levels.push_back({{"entry", l.entry},
                      {"tag", l.element ? ordered_json(l.element.tagName()) : nullptr},
                      {"path", l.element ? ordered_json(ElementPath(l.element)) : nullptr},
                      {"column", l.column},
                      {"level", l.offered ? ordered_json(l.level) : ordered_json(nullptr)}});
  return {{"shown", static_cast<bool>(ui::IsWindowVisible(menu.hWnd()))},
          {"position", ordered_json::array({w.left, w.top})},
          {"levels", levels},
          {"slider", menu.LumoraSlider.Value()}};
}

void printContextMenu(const ordered_json& menu) {
  if (menu.is_null()) {
    std::cout << "context menu: not loaded\n";
    return;
  }
  std::cout << "context menu: " << (menu["shown"].get<bool>() ? "shown" : "hidden") << " at "
            << menu["position"][0] << ',' << menu["position"][1] << ", slider at " << menu["slider"]
            << '\n';
  for (const ordered_json& l : menu["levels"])
    std::cout << "  " << (l["level"].is_null() ? std::string(" ") : l["level"].dump()) << ' '
              << l["entry"].get<std::string>() << ' '
              << (l["path"].is_null() ? std::string("(gone)") : l["path"].get<std::string>())
              << (l["column"].get<bool>() ? " (column)" : "") << '\n';
}

ordered_json orNull(const std::optional<std::string>& text) {
  return text ? ordered_json(*text) : ordered_json(nullptr);
}

void printHoverButton(const ordered_json& button) {
  std::cout << "hover button: ";
  if (button.is_null()) {
    std::cout << "not loaded\n";
    return;
  }
  const ordered_json& r = button["rect"];
  std::cout << (button["shown"].get<bool>() ? "shown" : "hidden") << ", picture "
            << button["picture"] << ", at " << r[0] << ',' << r[1] << ' ' << r[2] << 'x' << r[3]
            << '\n';
}

}  // namespace

std::size_t loggedErrorCount() {
  return loggedErrors().size();
}

ordered_json clipState(const headless::BrowserWindow& window, const Session& session,
                       std::size_t earlierErrors, const std::vector<std::string>& earlierUnsent) {
  ordered_json unsent = ordered_json::array();
  for (const std::string& file : unsentFiles())
    if (std::find(earlierUnsent.begin(), earlierUnsent.end(), file) == earlierUnsent.end())
      unsent.push_back(file);
  std::vector<ordered_json> errors = loggedErrors();
  errors.erase(errors.begin(),
               errors.begin() + static_cast<long>(std::min(earlierErrors, errors.size())));
  const xml::Document clip = g_ClipXML();
  const auto& lastPath = session.lastPath();
  return {{"mode", ui::Instance<frmToolband>::get().bLumoraMode},
          {"clipBar", readOr(clipBarState)},
          {"frame", readOr([&] { return frameState(window); })},
          {"contextMenu", readOr(contextMenuState)},
          {"clip", clip ? ordered_json(clip.xml()) : ordered_json(nullptr)},
          {"overlays", readOr(overlays)},
          {"markers", readOr([&] { return markers(window); })},
          {"lastPath", orNull(lastPath)},
          {"hoverButton", readOr(hoverButtonState)},
          {"dialogs", session.dialogs()},
          {"posted", orNull(session.posted())},
          {"opened", orNull(session.opened())},
          {"openedTitle", orNull(session.openedTitle())},
          {"unsent", unsent},
          {"errors", errors}};
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
  printContextMenu(s["contextMenu"]);
  std::cout << "clip: " << (s["clip"].is_null() ? "none" : s["clip"].get<std::string>()) << '\n';
  std::cout << "last path: "
            << (s["lastPath"].is_null() ? "none" : s["lastPath"].get<std::string>()) << '\n';
  printHoverButton(s["hoverButton"]);
  std::cout << "overlays: " << s["overlays"].size() << '\n';
  for (const ordered_json& o : s["overlays"])
    std::cout << "  clip " << o["clipIndex"] << ": " << o["style"].get<std::string>() << '\n';
  std::cout << "markers: " << s["markers"].size() << '\n';
  for (const ordered_json& m : s["markers"])
    std::cout << "  clip " << m["clipIndex"] << ": " << m["src"].get<std::string>() << '\n';
  if (!s["dialogs"].empty()) {
    std::cout << "dialogs:";
    for (const ordered_json& name : s["dialogs"]) std::cout << ' ' << name.get<std::string>();
    std::cout << '\n';
  }
  std::cout << "posted: " << (s["posted"].is_null() ? "none" : s["posted"].get<std::string>())
            << '\n';
  std::cout << "opened: "
            << (s["opened"].is_null() ? "none"
                                      : s["opened"].get<std::string>() + " (" +
                                            s["openedTitle"].get<std::string>() + ")")
            << '\n';
  for (const ordered_json& file : s["unsent"])
    std::cout << "unsent: " << file.get<std::string>() << '\n';
  std::cout << "errors: " << s["errors"].size() << '\n';
  for (const ordered_json& e : s["errors"])
    std::cout << "  " << e["object"].get<std::string>() << ' ' << e["routine"].get<std::string>()
              << ": " << e["number"] << ' ' << e["description"].get<std::string>() << '\n';
}

}  // namespace cli
