// The gestures of folverra clip: what a user's mouse does to the toolbar and the page, made
// through the toolbar window's messages and the page's pointer events.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "headless/browser.h"
#include "platform/html.h"
#include "runtime/form.h"

namespace cli {

// A bad argument or a target the page lacks: one line on stderr and status 2.
struct UsageError {
  std::string message;
};

struct Gesture {
  enum Kind {
    ClipButton,
    MoveTo,
    MoveOut,
    Resize,
    Click,
    RightClick,
    Select,
    ClickOverlay,
    ClickMarker,
    PageOut,
    Done,
    OverLimit,
    Slider,
    MenuLumora,
    MenuCancel,
    HoverButton,
    SelectionButton,
    Scroll
  } kind;
  std::string argument;
  std::string overLimit;       // of Done: the answer to an over-limit dialog it brings up
  long width = 0, height = 0;  // of Resize
  long number = 0;             // of ClickOverlay, ClickMarker and Slider
  long x = 0, y = 0;           // of Scroll
};

// The gesture an option names, with its value when it takes one; nothing for another option.
std::optional<Gesture::Kind> gestureNamed(const std::string& option);
bool takesValue(Gesture::Kind kind);
// Raises UsageError for a value the gesture cannot take.
Gesture makeGesture(Gesture::Kind kind, const std::string& value);

// The thread's form of that class when its window is there; none before it loads or once unloaded.
template <class F>
F* loadedForm() {
  return ui::Instance<F>::exists() && ui::Instance<F>::get().isLoaded() ? &ui::Instance<F>::get()
                                                                        : nullptr;
}

// The documents of the page and its frames, the page first.
std::vector<html::Document> documents(const headless::Pane& pane);

class Session {
 public:
  explicit Session(headless::BrowserWindow& window) : window_(window) {}
  // Raises UsageError for a target the page lacks.
  void perform(const Gesture& g);
  // The element path the clip of the last click carried; empty when it clipped nothing.
  const std::optional<std::string>& lastPath() const { return lastPath_; }
  // What the last Done Clipping sent and the window its answer opened; empty when none.
  const std::optional<std::string>& posted() const { return posted_; }
  const std::optional<std::string>& opened() const { return opened_; }
  const std::optional<std::string>& openedTitle() const { return openedTitle_; }
  // The forms the last Done Clipping brought up and the gestures answered, in order.
  const std::vector<std::string>& dialogs() const { return dialogs_; }

 private:
  struct Target {
    html::Document doc;
    html::Element element;
    long x, y;  // in the document's client area
  };
  Target locate(const std::string& target) const;
  Target overlayPicture(long number) const;
  Target marker(long number) const;
  void clickClipButton();
  void moveTo(const Target& t);
  void followWithCursor(const Target& t) const;
  void moveOut();
  void click(const Target& t, long button);
  void select(const Target& t);
  void pageOut(const std::string& file) const;
  void clickHoverButton();
  void clickSelectionButton();
  void scroll(long x, long y) const;
  void doneClipping(const Gesture& g);
  // The in-page context menu: its slider moved with the keys, its buttons clicked.
  void moveMenuSlider(long value);
  void clickMenuButton(Gesture::Kind button);
  // The save's answer: a window opened on its page, or a record of its failure.
  void awaitAnswer(const std::vector<browser::WebBrowser>& before);

  headless::BrowserWindow& window_;
  html::Document hovered_;
  std::optional<std::string> lastPath_;
  std::optional<std::string> posted_;
  std::optional<std::string> opened_;
  std::optional<std::string> openedTitle_;
  std::vector<std::string> dialogs_;
};

// Files the toolbar kept because their save failed, beside the error log.
std::vector<std::string> unsentFiles();

}  // namespace cli
