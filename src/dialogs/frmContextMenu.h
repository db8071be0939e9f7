// The in-page context menu: a small borderless window over the page that widens the clip from
// the element under the mouse to one of its ancestors. One per browser thread; the page's
// context-menu handling loads and shows it, and clipping mode's end unloads it.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/html.h"
#include "runtime/controls.h"
#include "runtime/form.h"

class WindowProxy;

class frmContextMenu : public ui::Form {
 public:
  // The tick pictures are for sliders of 2 to 11 positions: imgTicksLeft[count - kFirstTicks].
  static constexpr long kFirstTicks = 2;
  static constexpr long kMaxLevels = 10;

  frmContextMenu();

  ui::Image imgBackground{*this};
  ui::Slider LumoraSlider{*this};
  std::array<ui::Image, 10> imgTicksLeft = ui::ControlArray<ui::Image, 10>(*this);
  std::array<ui::Image, 10> imgTicksRight = ui::ControlArray<ui::Image, 10>(*this);
  ui::Image imgLumora{*this};
  ui::Image imgCancel{*this};

  // The page the menu was opened on: the levels are built again from the element a click there
  // would clip, and the first is chosen.
  void setProxy(const std::shared_ptr<WindowProxy>& proxy);
  std::shared_ptr<WindowProxy> Proxy() const { return proxy_; }

  // One entry per element passed on the way up from that element: an offered level by its tag
  // name, "COL" for a cell's column, "-" and the tag name for an element passed over.
  const std::vector<std::string>& levels() const { return levels_; }
  long levelCount() const { return levelCount_; }
  // The element of the chosen level, and whether that level is its column.
  const html::Element& currentElement() const { return currentElement_; }
  VARIANT_BOOL columnFlag() const { return columnFlag_; }

  // An entry of the level list with the element it stands for, up from the element a click
  // would clip (none when nothing is): the cell for "COL", the parent passed over for a "-"
  // entry. level counts the levels up to and with this entry, from 0.
  struct Level {
    std::string entry;
    html::Element element;
    bool column = false;
    bool offered = false;
    long level = 0;
  };
  std::vector<Level> walkLevels() const;

 protected:
  std::string formName() const override { return "frmContextMenu"; }
  DWORD formStyle() const override { return ui::kBorderNone; }
  void Form_Load() override;
  void Form_Unload(int& cancel) override;

 private:
  void buildLevels();
  // The entry of the next pass up from currentElement_, which it may move; none at the top.
  bool nextEntry(bool& columnPassed, std::string& entry);
  bool isOffered(const std::string& entry, const html::Element& lastOffered) const;
  void showTicks();
  // Chooses the level at value: the current element and the column flag, framed in the page.
  void selectLevel(long value);
  void LumoraSlider_ValueChange();
  void imgLumora_Click();
  void imgCancel_Click();

  std::shared_ptr<WindowProxy> proxy_;
  html::Element currentElement_;
  long levelCount_ = 0;
  std::vector<std::string> levels_;
  VARIANT_BOOL columnFlag_ = 0;
};
