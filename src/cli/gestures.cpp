#include "cli/gestures.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "band/mdlCommon.h"
#include "cli/session.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "dialogs/frmContextMenu.h"
#include "dialogs/frmClipSelection.h"
#include "dialogs/frmDoneClipping.h"
#include "dialogs/frmMouseOver.h"
#include "dialogs/frmOverLimit.h"
#include "dialogs/frmOverLimitBlog.h"
#include "dialogs/frmPleaseClipSomething.h"
#include "headless/keyboard.h"
#include "headless/pointer.h"
#include "platform/ui.h"
#include "runtime/form.h"
#include "toolbar/frmToolband.h"

namespace cli {
namespace {

struct Named {
  const char* option;
  Gesture::Kind kind;
  bool value;
};

constexpr Named kGestures[] = {
    {"--clip-button", Gesture::ClipButton, false},
    {"--move-to", Gesture::MoveTo, true},
    {"--move-out", Gesture::MoveOut, false},
    {"--resize", Gesture::Resize, true},
    {"--click", Gesture::Click, true},
    {"--right-click", Gesture::RightClick, true},
    {"--select", Gesture::Select, true},
    {"--click-overlay", Gesture::ClickOverlay, true},
    {"--click-marker", Gesture::ClickMarker, true},
    {"--page-out", Gesture::PageOut, true},
    {"--done", Gesture::Done, true},
    {"--over-limit", Gesture::OverLimit, true},
    {"--slider", Gesture::Slider, true},
    {"--menu-lumora", Gesture::MenuLumora, false},
    {"--menu-cancel", Gesture::MenuCancel, false},
    {"--hover-button", Gesture::HoverButton, false},
    {"--selection-button", Gesture::SelectionButton, false},
    {"--scroll", Gesture::Scroll, true},
};

constexpr const char* kDoneChoices[] = {"save", "email", "blog", "print", "cancel"};
constexpr const char* kOverLimitChoices[] = {"save-privately", "edit-clip"};

template <std::size_t N>
bool oneOf(const std::string& value, const char* const (&choices)[N]) {
  return std::any_of(std::begin(choices), std::end(choices),
                     [&](const char* c) { return value == c; });
}

// Presses and releases the left button on a control, as the mouse does.
void clickControl(ui::Form& form, const ui::Control& control) {
  const RECT r = control.formRect();
  const LPARAM at = (static_cast<LPARAM>(r.top + 2) << 16) | (r.left + 2);
  ui::SendMessage(form.hWnd(), WM_LBUTTONDOWN, 0, at);
  ui::SendMessage(form.hWnd(), WM_LBUTTONUP, 0, at);
}

// Work that waits in the thread's queue for whichever loop pumps it next: a modal dialog's too,
// so a choice can be made in a dialog that is still to come.
LRESULT CALLBACK queueProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_APP) return ui::DefWindowProc(hwnd, msg, wParam, lParam);
  std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lParam));
  (*work)();
  return 0;
}

void later(std::function<void()> work) {
  static const HWND queue = [] {
    ui::RegisterWindowClass("FolverraGestureQueue", &queueProc);
    return ui::CreateWindowEx(0, "FolverraGestureQueue", "", 0, 0, 0, 0, 0, nullptr);
  }();
  ui::PostMessage(queue, WM_APP, 0, reinterpret_cast<LPARAM>(new std::function<void()>(work)));
}

// The choice in the done-clipping dialog; with nothing clipped, the prompt's OK instead. The
// name of the form answered goes to seen before the click, which may bring up another.
void chooseInDoneClipping(const std::string& choice, std::vector<std::string>& seen) {
  if (frmPleaseClipSomething* prompt = loadedForm<frmPleaseClipSomething>()) {
    seen.push_back("frmPleaseClipSomething");
    clickControl(*prompt, prompt->OKButton);
    return;
  }
  frmDoneClipping* dialog = loadedForm<frmDoneClipping>();
  if (!dialog) return;
  seen.push_back("frmDoneClipping");
  const std::pair<const char*, const ui::Control*> controls[] = {{"save", &dialog->imgSave},
                                                                 {"email", &dialog->imgEmail},
                                                                 {"blog", &dialog->imgBlog},
                                                                 {"print", &dialog->imgPrint},
                                                                 {"cancel", &dialog->lblCancel}};
  for (const auto& [name, control] : controls)
    if (choice == name) clickControl(*dialog, *control);
}

// The blog's dialog has Edit Clip only, so it takes that whatever the answer.
void chooseInOverLimit(const std::string& choice, std::vector<std::string>& seen) {
  if (frmOverLimit* dialog = loadedForm<frmOverLimit>()) {
    seen.push_back("frmOverLimit");
    const ui::Control& button = choice == "save-privately"
                                    ? static_cast<const ui::Control&>(dialog->cmdSave)
                                    : dialog->cmdCancel;
    clickControl(*dialog, button);
  } else if (frmOverLimitBlog* blog = loadedForm<frmOverLimitBlog>()) {
    seen.push_back("frmOverLimitBlog");
    clickControl(*blog, blog->cmdCancel);
  }
}

// A whole number and what follows it; false when there is none.
bool number(const char*& at, long& value) {
  char* end = nullptr;
  value = std::strtol(at, &end, 10);
  if (end == at) return false;
  at = end;
  return true;
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
    const char* digits = inside.c_str();
    long index = 0;
    if (!number(digits, index) || *digits) return {};
    if (tag == "DIV" && at.tagName() == "BODY") ++index;  // the paths' own count, undone
    const std::vector<html::Element> tagged = at.allTags(tag);
    at = index >= 0 && index < static_cast<long>(tagged.size()) ? tagged[index] : html::Element();
  }
  return at;
}

struct Point {
  long x, y;
};

// A user aims at what they can see of the element: a point no child covers, if there is one.
Point aimAt(const html::Document& doc, const html::Element& element) {
  const html::Rect r = element.getBoundingClientRect();
  const Point candidates[] = {{(r.left + r.right) / 2, (r.top + r.bottom) / 2},
                              {r.left + 1, r.top + 1},
                              {r.right - 2, r.bottom - 2},
                              {r.left + 1, r.bottom - 2},
                              {r.right - 2, r.top + 1}};
  for (const Point& p : candidates)
    if (doc.elementFromPoint(p.x, p.y).is(element)) return p;
  return candidates[0];
}

// The list comes whether the service answers or not; a service that hangs is given up on.
void awaitVideoList() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!g_oSupportedVideo() && std::chrono::steady_clock::now() < deadline) {
    ui::DoEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// The clip-index of the clip document's last frame; empty without one.
std::string lastClipIndex() {
  if (!g_ClipXML()) return {};
  const xml::Node last = g_ClipXML().documentElement().selectSingleNode("frame[last()]");
  return last ? last.getAttribute("clip-index").value_or("") : std::string();
}

std::optional<std::string> lastClipPath() {
  const xml::Node path = g_ClipXML().documentElement().selectSingleNode("frame[last()]/path");
  return path ? std::optional(path.text()) : std::nullopt;
}

}  // namespace

std::optional<Gesture::Kind> gestureNamed(const std::string& option) {
  for (const Named& g : kGestures)
    if (option == g.option) return g.kind;
  return std::nullopt;
}

bool takesValue(Gesture::Kind kind) {
  for (const Named& g : kGestures)
    if (g.kind == kind) return g.value;
  return false;
}

Gesture makeGesture(Gesture::Kind kind, const std::string& value) {
  Gesture g{kind, value, {}};
  const char* at = value.c_str();
  switch (kind) {
    case Gesture::Resize:
      if (!number(at, g.width) || *at++ != 'x' || !number(at, g.height) || *at || g.width <= 0 ||
          g.height <= 0)
        throw UsageError{"--resize takes WxH, two positive numbers, not '" + value + "'"};
      break;
    case Gesture::ClickOverlay:
    case Gesture::ClickMarker:
    case Gesture::Slider:
      if (!number(at, g.number) || *at || g.number < 0)
        throw UsageError{"a number is wanted, not '" + value + "'"};
      break;
    case Gesture::Done:
      if (!oneOf(value, kDoneChoices))
        throw UsageError{"--done takes save, email, blog, print or cancel, not '" + value + "'"};
      break;
    case Gesture::OverLimit:
      if (!oneOf(value, kOverLimitChoices))
        throw UsageError{"--over-limit takes save-privately or edit-clip, not '" + value + "'"};
      break;
    case Gesture::Scroll:
      if (!number(at, g.x) || *at++ != ',' || !number(at, g.y) || *at || g.x < 0 || g.y < 0)
        throw UsageError{"--scroll takes X,Y, two numbers from 0, not '" + value + "'"};
      break;
    default:
      break;
  }
  return g;
}

std::vector<html::Document> documents(const headless::Pane& pane) {
  std::vector<html::Document> result;
  const browser::DocumentObject doc = pane.webBrowser().Document();
  if (doc.typeName() == "HTMLDocument") result.push_back(doc.html());
  for (const auto& frame : pane.frames)
    for (const html::Document& d : documents(*frame)) result.push_back(d);
  return result;
}

void Session::perform(const Gesture& g) {
  switch (g.kind) {
    case Gesture::ClipButton:
      clickClipButton();
      break;
    case Gesture::MoveTo:
      moveTo(locate(g.argument));
      break;
    case Gesture::MoveOut:
      moveOut();
      break;
    case Gesture::Resize:
      window_.ResizePage(g.width, g.height);
      break;
    case Gesture::Click:
      click(locate(g.argument), headless::pointer::kLeft);
      break;
    case Gesture::RightClick:
      click(locate(g.argument), headless::pointer::kRight);
      break;
    case Gesture::Select:
      select(locate(g.argument));
      break;
    case Gesture::ClickOverlay:
      click(overlayPicture(g.number), headless::pointer::kLeft);
      break;
    case Gesture::ClickMarker:
      click(marker(g.number), headless::pointer::kLeft);
      break;
    case Gesture::PageOut:
      pageOut(g.argument);
      break;
    case Gesture::Done:
      doneClipping(g);
      break;
    case Gesture::OverLimit:
      break;  // answered by the Done Clipping before it
    case Gesture::Slider:
      moveMenuSlider(g.number);
      break;
    case Gesture::MenuLumora:
    case Gesture::MenuCancel:
      clickMenuButton(g.kind);
      break;
    case Gesture::HoverButton:
      clickHoverButton();
      break;
    case Gesture::SelectionButton:
      clickSelectionButton();
      break;
    case Gesture::Scroll:
      scroll(g.x, g.y);
      break;
  }
  ui::DoEvents();
}

// "#id" in the page or a frame, "X,Y" in the page's coordinates, or an element path of the page.
Session::Target Session::locate(const std::string& target) const {
  const std::vector<html::Document> docs = documents(window_.page());
  const auto found = [](const html::Document& doc, const html::Element& e) {
    const Point p = aimAt(doc, e);
    return Target{doc, e, p.x, p.y};
  };
  if (target.size() > 1 && target[0] == '#') {
    for (const html::Document& doc : docs)
      if (html::Element e = doc.getElementById(target.substr(1))) return found(doc, e);
  } else if (!docs.empty()) {
    const html::Document& page = docs.front();
    const char* at = target.c_str();
    long x = 0, y = 0;
    if (number(at, x) && *at++ == ',' && number(at, y) && !*at) {
      const html::Element root = page.documentElement();
      x -= root.scrollLeft() + page.body().scrollLeft();
      y -= root.scrollTop() + page.body().scrollTop();
      if (html::Element e = page.elementFromPoint(x, y)) return {page, e, x, y};
    } else if (html::Element e = atPath(page, target)) {
      return found(page, e);
    }
  }
  throw UsageError{"the page has no element '" + target + "'"};
}

// Numbered as the clip keeps its overlays, from 1.
Session::Target Session::overlayPicture(long number) const {
  if (number >= 1 && number <= g_ClippedElementCount()) {
    const html::Element overlay = g_ElementOverlays()[number];
    for (const html::Element& child : overlay.children())
      if (child.id() == "LumoraOverlayChild") {
        const html::Document doc = child.ownerDocument();
        const Point p = aimAt(doc, child);
        return {doc, child, p.x, p.y};
      }
  }
  throw UsageError{"the clip has no overlay " + std::to_string(number)};
}

Session::Target Session::marker(long number) const {
  for (const html::Document& doc : documents(window_.page()))
    for (const html::Element& e : doc.getElementsByName("Folverra_SelectionBounds"))
      if (e.getAttribute("clip-index") == std::to_string(number)) {
        const Point p = aimAt(doc, e);
        return {doc, e, p.x, p.y};
      }
  throw UsageError{"the page has no selection marker of clip " + std::to_string(number)};
}

// A user's click comes once the band has laid its buttons out and heard which sites' videos
// the service supports.
void Session::clickClipButton() {
  frmToolband& form = ui::Instance<frmToolband>::get();
  MSG msg;
  while (form.tmrLoad.Enabled() && ui::GetMessage(&msg)) ui::DispatchMessage(&msg);
  awaitVideoList();
  clickControl(form, form.imgClipIt[form.imgClipIt[0].Visible ? 0 : 1]);
}

void Session::moveTo(const Target& t) {
  if (hovered_ && !hovered_.is(t.doc)) moveOut();
  followWithCursor(t);
  headless::pointer::move(t.doc, t.x, t.y);
  hovered_ = t.doc;
}

// The screen's cursor goes with the mouse over the page, where the context menu opens; in a
// frame it stays where it was.
void Session::followWithCursor(const Target& t) const {
  const std::vector<html::Document> docs = documents(window_.page());
  if (docs.empty() || !docs.front().is(t.doc)) return;
  POINT at{static_cast<LONG>(t.x), static_cast<LONG>(t.y)};
  if (ui::ClientToScreen(window_.pageWindow(), &at)) ui::SetCursorPos(at.x, at.y);
}

void Session::moveOut() {
  if (hovered_) headless::pointer::move(hovered_, -1, -1);
  hovered_ = {};
}

// The pointer goes onto the target first, as a user's does.
void Session::click(const Target& t, long button) {
  moveTo(t);
  const std::string before = lastClipIndex();
  headless::pointer::press(t.doc, button);
  headless::pointer::release(t.doc);
  if (button != headless::pointer::kLeft) return;
  lastPath_ = lastClipIndex() != before ? lastClipPath() : std::nullopt;
}

// From the element's first point to its last, with the button held.
void Session::select(const Target& t) {
  const html::Rect r = t.element.getBoundingClientRect();
  moveTo({t.doc, t.element, r.left + 1, r.top + 1});
  headless::pointer::press(t.doc, headless::pointer::kLeft);
  headless::pointer::move(t.doc, r.right - 2, r.bottom - 2);
  headless::pointer::release(t.doc);
}

// Done Clipping, with the choices already waiting for the dialogs it brings up, then the save's
// answer.
void Session::doneClipping(const Gesture& g) {
  frmClipBar* bar = loadedForm<frmClipBar>();
  if (!bar) throw UsageError{"--done needs the clip bar: turn clipping on first"};
  const std::vector<browser::WebBrowser> before = browser::ShellWindows();
  dialogs_.clear();
  later([this, choice = g.argument] { chooseInDoneClipping(choice, dialogs_); });
  if (!g.overLimit.empty())
    later([this, choice = g.overLimit] { chooseInOverLimit(choice, dialogs_); });
  posted_ = opened_ = openedTitle_ = std::nullopt;
  clickControl(*bar, bar->imgDoneClipping);
  // A sent clip ends clipping; a clip still being clipped was not sent, so no answer is coming.
  if (ui::Instance<frmToolband>::get().bLumoraMode) return;
  awaitAnswer(before);
}

void Session::awaitAnswer(const std::vector<browser::WebBrowser>& before) {
  const std::size_t unsent = unsentFiles().size();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::optional<browser::WebBrowser> window;
  while (std::chrono::steady_clock::now() < deadline && unsentFiles().size() == unsent) {
    ui::DoEvents();
    for (const browser::WebBrowser& w : browser::ShellWindows())
      if (std::none_of(before.begin(), before.end(), [&](const auto& b) { return w.is(b); }))
        window = w;
    if (window && !window->Busy() && !window->LocationURL().empty()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!window) return;
  opened_ = window->LocationURL();
  openedTitle_ = window->LocationName();
  const std::string url = *opened_;
  const std::size_t equals = url.rfind('=');
  const auto& store = embeddedStore();
  if (equals == std::string::npos || !store) return;
  std::ifstream in(*store / (url.substr(equals + 1) + ".xml"), std::ios::binary);
  if (in) posted_ = std::string(std::istreambuf_iterator<char>(in), {});
}

namespace {

// The menu as the user sees it: open over the page.
frmContextMenu& openMenu(const char* gesture) {
  frmContextMenu* menu = loadedForm<frmContextMenu>();
  if (!menu || !ui::IsWindowVisible(menu->hWnd()))
    throw UsageError{std::string(gesture) +
                     " needs the context menu: right-click a framed element"};
  return *menu;
}

}  // namespace

// Key presses from where the slider stands; they are handled with the gesture's events.
void Session::moveMenuSlider(long value) {
  frmContextMenu& menu = openMenu("--slider");
  const long upper = menu.LumoraSlider.Max();
  if (value > upper)
    throw UsageError{"the menu's slider runs from 0 to " + std::to_string(upper) + ", not " +
                     std::to_string(value)};
  headless::MoveSliderTo(menu.LumoraSlider.hWnd(), value);
}

void Session::clickMenuButton(Gesture::Kind button) {
  const bool lumora = button == Gesture::MenuLumora;
  frmContextMenu& menu = openMenu(lumora ? "--menu-lumora" : "--menu-cancel");
  const std::string before = lastClipIndex();
  clickControl(menu, lumora ? menu.imgLumora : menu.imgCancel);
  if (lumora) lastPath_ = lastClipIndex() != before ? lastClipPath() : std::nullopt;
}

// The picture the button shows, where a user sees it.
void Session::clickHoverButton() {
  frmMouseOver* button = loadedForm<frmMouseOver>();
  if (!button || !ui::IsWindowVisible(button->hWnd()))
    throw UsageError{"no hover button is shown: move onto a video of a supported site first"};
  for (const ui::Image& picture : button->imgLumora)
    if (picture.Visible) {
      clickControl(*button, picture);
      return;
    }
}

void Session::clickSelectionButton() {
  frmClipSelection* button = loadedForm<frmClipSelection>();
  if (!button || !ui::IsWindowVisible(button->hWnd()))
    throw UsageError{"no selection button is shown: select some text first"};
  clickControl(*button, button->imgClip);
}

// The page moves as its scroll bars move it: the window hears of each axis that moved.
void Session::scroll(long x, long y) const {
  const std::vector<html::Document> docs = documents(window_.page());
  if (docs.empty()) throw UsageError{"the page cannot scroll"};
  html::Element root = docs.front().documentElement();
  root.setScrollLeft(x);
  root.setScrollTop(y);
}

std::vector<std::string> unsentFiles() {
  std::vector<std::string> files;
  const auto folder = std::filesystem::path(ErrorLogPath()).parent_path() / "unsent";
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
    files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

void Session::pageOut(const std::string& file) const {
  const std::vector<html::Document> docs = documents(window_.page());
  std::ofstream out(file, std::ios::binary);
  if (docs.empty() || !out) throw UsageError{"cannot write the page to '" + file + "'"};
  out << docs.front().documentElement().outerHTML();
}

}  // namespace cli
