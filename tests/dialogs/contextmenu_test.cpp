#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless/keyboard.h"
#include "page/ElementPath.h"
#include "page/clipping_page.h"

namespace {

// Two boxes of one size, a picture in a link, tables of 2 x 2 (with a caption that makes the table
// taller than its body), 1 x 2 and 2 x 1 cells, and twelve boxes each 25 pixels wider than the
// one inside it; a box smaller than the one it holds.
std::string menuPage() {
  std::string deep = "deep";
  for (int k = 0; k < 12; ++k)
    deep = "<div id=\"d" + std::to_string(k) + "\" style=\"width:" + std::to_string(100 + 25 * k) +
           "px;height:20px\">" + deep + "</div>";
  return R"(<div id="outer" style="width:300px;height:60px"><div style="width:300px;height:60px">
<span id="word">word</span></div></div>
<p><a href="#a"><img id="inlink" width="50" height="30"></a> beside</p>
<table id="t22" width="400"><caption>a<br>b</caption><tr><td id="c22">a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr>
</table><table width="400"><tr><td id="c12">a</td><td>b</td></tr></table>
<table width="400"><tr><td id="c21">a</td></tr><tr><td>b</td></tr></table>
<div style="width:50px;height:10px"><div id="wide" style="position:absolute;left:0px;top:600px;
width:300px;height:40px">wide</div></div>)" +
         deep;
}

struct ContextMenuTest : ClippingPage {
  void SetUp() override {
    ClippingPage::SetUp();
    if (!HasFatalFailure()) doc.body().insertAdjacentHTML("afterBegin", menuPage());
  }
  static frmContextMenu& menu() { return ui::Instance<frmContextMenu>::get(); }
  bool menuShown() const {
    return ui::Instance<frmContextMenu>::exists() && ui::IsWindowVisible(menu().hWnd());
  }
  // Frames the element, then the element a click clips becomes start, and a right click where
  // the mouse is opens the menu.
  void openOn(const html::Element& framed, const html::Element& start) {
    hover(framed);
    g_CurrentElement() = start;
    click(headless::pointer::kRight);
  }
  void openOn(const html::Element& element) { openOn(element, element); }
  void slideTo(long value) {
    headless::MoveSliderTo(menu().LumoraSlider.hWnd(), value);
    ui::DoEvents();
  }
  void press(const ui::Image& button) {
    const RECT r = button.formRect();
    const LPARAM at = (static_cast<LPARAM>(r.top + 2) << 16) | (r.left + 2);
    ui::SendMessage(menu().hWnd(), WM_LBUTTONDOWN, 0, at);
    ui::SendMessage(menu().hWnd(), WM_LBUTTONUP, 0, at);
  }
  // The slider positions of the tick pictures shown, left and right alike.
  std::vector<long> ticksShown() const {
    std::vector<long> shown;
    for (std::size_t i = 0; i < menu().imgTicksLeft.size(); ++i) {
      EXPECT_EQ(menu().imgTicksLeft[i].Visible, menu().imgTicksRight[i].Visible);
      if (menu().imgTicksLeft[i].Visible) shown.push_back(static_cast<long>(i) + 2);
    }
    return shown;
  }
};

// Each opening starts again at the first level, whatever the one before left: the slider at 0,
// the element a click clips, the tick pair of its own count only.
TEST_F(ContextMenuTest, TheLevelsOfferedFromTheElementUpToTheBody) {
  const std::vector<std::string> tenBoxes(10, "DIV");
  struct Case {
    const char* name;
    const char* start;  // "BODY" for the body, "" for nothing a click would clip
    std::vector<std::string> levels;
  } const cases[] = {
      {"two nested boxes of one size offer only the outer",
       "word",
       {"SPAN", "-DIV", "DIV", "BODY"}},
      {"an image in a link offers the image and skips the link",
       "inlink",
       {"IMG", "-A", "P", "BODY"}},
      {"a cell of a 2 x 2 table offers its column",
       "c22",
       {"TD", "COL", "TR", "-TBODY", "TABLE", "BODY"}},
      {"a cell of a one-row table offers no column",
       "c12",
       {"TD", "TR", "-TBODY", "TABLE", "BODY"}},
      {"a cell of one-cell rows offers no column", "c21", {"TD", "-TR", "-TBODY", "TABLE", "BODY"}},
      {"a box smaller than the level below is passed over", "wide", {"DIV", "-DIV", "BODY"}},
      {"a right click on the body offers one level", "BODY", {"BODY"}},
      {"more than 10 enclosing elements offer 10", "d0", tenBoxes},
      {"nothing a click would clip offers nothing", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string id = c.start;
    const html::Element start = id == "BODY" ? doc.body() : byId(id);
    openOn(id.empty() || id == "BODY" ? byId("word") : start, start);
    if (id == "BODY") {
      headless::pointer::move(doc, 1000, 700);  // below the content: the body alone
      ASSERT_TRUE(doc.elementFromPoint(1000, 700).is(doc.body()));
      click(headless::pointer::kRight);
      click(headless::pointer::kRight);
    }
    ASSERT_TRUE(menuShown());
    EXPECT_EQ(menu().levels(), c.levels);
    const long count = static_cast<long>(std::count_if(
        c.levels.begin(), c.levels.end(), [](const std::string& e) { return e[0] != '-'; }));
    EXPECT_EQ(menu().levelCount(), count);
    EXPECT_EQ(menu().LumoraSlider.Min(), 0);
    EXPECT_EQ(menu().LumoraSlider.Max(), std::max(count - 1, 0L));
    EXPECT_EQ(menu().LumoraSlider.Value(), 0);
    EXPECT_EQ(ticksShown(), count > 1 ? std::vector<long>{count} : std::vector<long>{});
    EXPECT_TRUE(menu().currentElement().is(start));
    slideTo(count - 1);
    press(menu().imgCancel);
    EXPECT_FALSE(menuShown());
    EXPECT_FALSE(g_bContextMenuVisible());
  }
  EXPECT_TRUE(frames().empty()) << "the close button clips nothing";
}

TEST_F(ContextMenuTest, MovingTheSliderFramesEachLevelAndTheColumnLevelTheColumn) {
  const html::Element cell = byId("c22"), table = byId("t22");
  openOn(cell);
  struct Case {
    long value;
    html::Element framed;
    VARIANT_BOOL column;
  } const cases[] = {{1, table, -1}, {2, cell.parentElement(), 0},
                     {3, table, 0},  {4, doc.body(), 0},
                     {1, table, -1}, {0, cell, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    slideTo(c.value);
    EXPECT_TRUE(g_HighlightElement().is(c.framed)) << g_HighlightElement().tagName();
    EXPECT_EQ(proxy->bHighlightColumn, c.column);
    EXPECT_EQ(menu().columnFlag(), c.column);
  }
  slideTo(1);
  const html::Rect r = cell.getBoundingClientRect(), t = table.getBoundingClientRect();
  const html::Style left = byId("dvLumBorderLeft").style();
  EXPECT_EQ(left.left(), std::to_string(r.left - 6) + "px") << "the cell's left edge";
  EXPECT_EQ(left.top(), std::to_string(t.top - 6) + "px") << "the table's top";
  EXPECT_EQ(left.height(), std::to_string(t.bottom - t.top + 8) + "px") << "the table's height";
  EXPECT_TRUE(menuShown()) << "the slider does not close the menu";
}

TEST_F(ContextMenuTest, TheClipButtonClipsTheChosenLevelWithItsColumnFlag) {
  struct Case {
    const char* start;
    long value;
    const char* path;
    const char* column;
  } const cases[] = {{"c22", 1, "ELEMENT-ID[c22]/", "true"},
                     {"word", 1, "ELEMENT-ID[outer]/", "false"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    openOn(byId(c.start));
    slideTo(c.value);
    press(menu().imgLumora);
    ASSERT_FALSE(frames().empty());
    const xml::Node path = frames().back().selectSingleNode("path");
    EXPECT_EQ(path.text(), c.path);
    EXPECT_EQ(path.getAttribute("column"), c.column);
    EXPECT_FALSE(menuShown()) << "clipping closes the menu";
  }
  EXPECT_EQ(frames().size(), 2u);
}

}  // namespace
