#include "dialogs/frmContextMenu.h"

#include <algorithm>

#include "band/Reporter.h"
#include "page/SharedReferences.h"
#include "page/WindowProxy.h"
#include "platform/ui.h"

namespace {

constexpr Reporter kReporter{"LumoraToolbar", "frmContextMenu"};

constexpr int kWidth = 102;
constexpr int kHeight = 169;
// An enclosing element within this many pixels of an element's size shows the same area.
constexpr long kSameSize = 20;

bool within(long value, long around) {
  return value >= around - kSameSize && value <= around + kSameSize;
}

bool hasOneChild(const html::Element& element) {
  return element.children().size() == 1;
}

void placeAt(ui::Image& image, long left, long top) {
  image.Left = left;
  image.Top = top;
}

}  // namespace

// The pictures are the form's design: they are there before anything runs.
frmContextMenu::frmContextMenu() {
  imgBackground.setPicture(ui::LoadArt("menu_background"));
  for (std::size_t i = 0; i < imgTicksLeft.size(); ++i) {
    const ui::Picture ticks = ui::LoadArt("menu_ticks" + std::to_string(i + kFirstTicks));
    imgTicksLeft[i].setPicture(ticks);
    imgTicksRight[i].setPicture(ticks);
  }
  imgLumora.setPicture(ui::LoadArt("menu_lumora"));
  imgLumora.ToolTipText = "Clip the framed area";
  imgCancel.setPicture(ui::LoadArt("menu_cancel"));
  imgCancel.ToolTipText = "Close";
  LumoraSlider.ValueChange = [this] { LumoraSlider_ValueChange(); };
  imgLumora.Click = [this] { imgLumora_Click(); };
  imgCancel.Click = [this] { imgCancel_Click(); };
}

void frmContextMenu::Form_Load() {
  kReporter.guard("Form_Load()", [&] {
    ui::InitCommonControls();
    ui::MoveWindow(hWnd(), 0, 0, kWidth, kHeight, FALSE);
    placeAt(imgBackground, 0, 0);
    LumoraSlider.Move(36, 30, 30, 86);
    for (std::size_t i = 0; i < imgTicksLeft.size(); ++i) {
      placeAt(imgTicksLeft[i], 14, 35);
      placeAt(imgTicksRight[i], 75, 35);
      imgTicksLeft[i].Visible = imgTicksRight[i].Visible = false;
    }
    placeAt(imgLumora, 5, 141);
    placeAt(imgCancel, 51, 141);
  });
}

void frmContextMenu::Form_Unload(int&) {
  proxy_.reset();
  currentElement_ = {};
}

// With nothing framed there is no level; a single level shows no ticks. Either way the choice
// starts again at the first level, and the frame shows it.
void frmContextMenu::setProxy(const std::shared_ptr<WindowProxy>& proxy) {
  kReporter.guard("Set Proxy()", [&] {
    levels_.clear();
    levelCount_ = 0;
    proxy_ = proxy;
    currentElement_ = g_CurrentElement();
    buildLevels();
    LumoraSlider.setMin(0);
    LumoraSlider.setMax(std::max(levelCount_ - 1, 0L));
    showTicks();
    LumoraSlider.setValue(0);
    selectLevel(0);
  });
}

void frmContextMenu::buildLevels() {
  html::Element lastOffered;
  bool columnPassed = false;
  std::string entry;
  while (levelCount_ < kMaxLevels && currentElement_ && entry != "BODY") {
    if (!nextEntry(columnPassed, entry)) return;
    const bool offered = levels_.empty() || isOffered(entry, lastOffered);
    // A column passed over leaves no entry: the next pass climbs from the cell.
    columnPassed = entry == "COL" && !offered;
    if (columnPassed) continue;
    if (!offered) {
      levels_.push_back("-" + entry);
      continue;
    }
    levels_.push_back(entry);
    ++levelCount_;
    lastOffered = currentElement_;
  }
}

bool frmContextMenu::nextEntry(bool& columnPassed, std::string& entry) {
  if (levels_.empty()) {
    entry = currentElement_.tagName();
  } else if (levels_.back() == "TD" && !columnPassed) {
    entry = "COL";
  } else {
    currentElement_ = currentElement_.parentElement();
    if (!currentElement_) return false;
    entry = currentElement_.tagName();
  }
  return true;
}

bool frmContextMenu::isOffered(const std::string& entry, const html::Element& lastOffered) const {
  const html::Element& e = currentElement_;
  // A link that only wraps the image is no level of its own.
  if (entry == "A")
    return !(levelCount_ >= 1 && levels_.at(static_cast<std::size_t>(levelCount_ - 1)) == "IMG");
  if (entry == "COL") {
    const html::Element row = e.parentElement();
    return !hasOneChild(row) && !hasOneChild(row.parentElement());
  }
  if (entry == "TBODY") return false;
  if (entry == "TR") return e.children().size() > 1;
  const long w = e.offsetWidth();
  const long h = e.offsetHeight();
  const html::Element parent = e.parentElement();
  if (entry != "BODY" && within(parent.offsetWidth(), w)) return !within(parent.offsetHeight(), h);
  return !(w < lastOffered.offsetWidth() && h < lastOffered.offsetHeight());
}

// The pair of an earlier opening goes first.
void frmContextMenu::showTicks() {
  for (std::size_t i = 0; i < imgTicksLeft.size(); ++i)
    imgTicksLeft[i].Visible = imgTicksRight[i].Visible = false;
  const long index = levelCount_ - kFirstTicks;
  if (index >= 0 && index < static_cast<long>(imgTicksLeft.size()))
    imgTicksLeft[static_cast<std::size_t>(index)].Visible =
        imgTicksRight[static_cast<std::size_t>(index)].Visible = true;
  if (isLoaded()) ui::InvalidateRect(hWnd());
}

void frmContextMenu::LumoraSlider_ValueChange() {
  kReporter.guard("LumoraSlider_ValueChange()", [&] { selectLevel(LumoraSlider.Value()); });
}

// The walk never climbs past the body.
std::vector<frmContextMenu::Level> frmContextMenu::walkLevels() const {
  std::vector<Level> walked;
  html::Element element = g_CurrentElement();
  long level = 0;
  for (std::size_t i = 0; i < levels_.size(); ++i) {
    const std::string& entry = levels_[i];
    const bool passed = entry.front() == '-';
    const bool column = i > 0 && entry == "COL";
    if (i > 0 && !column && element && element.tagName() != "BODY") {
      const std::string tag = passed ? entry.substr(1) : entry;
      element = element.parentElement();
      while (element.tagName() != tag && element.tagName() != "BODY")
        element = element.parentElement();
    }
    if (i > 0 && !passed) ++level;
    walked.push_back({entry, element, column, !passed, level});
  }
  return walked;
}

// The first entry that reaches the level, or the body.
void frmContextMenu::selectLevel(long value) {
  currentElement_ = g_CurrentElement();
  columnFlag_ = 0;
  if (!currentElement_) return;
  for (const Level& l : walkLevels()) {
    currentElement_ = l.element;
    columnFlag_ = l.column ? -1 : 0;
    if (l.level == value || l.element.tagName() == "BODY") break;
  }
  if (!proxy_) platform::raiseNothing();
  proxy_->HighlightElement(currentElement_, columnFlag_, 0);
}

void frmContextMenu::imgLumora_Click() {
  kReporter.guard("imgLumora_Click()", [&] {
    if (!currentElement_) return;
    if (!proxy_) platform::raiseNothing();
    proxy_->LumoraElement(currentElement_, columnFlag_);
  });
}

void frmContextMenu::imgCancel_Click() {
  if (proxy_) proxy_->HideContextMenu();
}
