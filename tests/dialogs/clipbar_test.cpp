#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "dialogs/frmDoneClipping.h"
#include "dialogs/frmPleaseClipSomething.h"
#include "page/SharedReferences.h"
#include "toolbar/toolbar_fixture.h"

namespace {

// A window whose WM_APP runs the function it carries: work posted to the thread's queue runs
// inside whichever loop pumps it, a modal form's included.
LRESULT CALLBACK probeProc(HWND, UINT msg, WPARAM, LPARAM lParam) {
  if (msg == WM_APP) {
    auto* work = reinterpret_cast<std::function<void()>*>(lParam);
    (*work)();
    delete work;
  }
  return 0;
}

struct ClipBarTest : ToolbarFixture {
  xml::Document savedClip = std::exchange(g_ClipXML(), xml::Document());
  std::int32_t savedCount = g_ClippedCharCount();
  HWND probe = nullptr;

  void SetUp() override {
    ToolbarFixture::SetUp();
    ASSERT_TRUE(window->Load(pageUrl("left.html")));
    ui::RegisterWindowClass("ClipBarProbe", &probeProc);
    probe = ui::CreateWindowEx(0, "ClipBarProbe", "", 0, 0, 0, 0, 0, nullptr);
  }
  void TearDown() override {
    ui::DestroyWindow(probe);
    ui::Instance<frmDoneClipping>::Unload();
    ui::Instance<frmPleaseClipSomething>::Unload();
    ui::Instance<frmClipBar>::Unload();
    g_ClipXML() = savedClip;
    g_ClippedCharCount() = savedCount;
    ToolbarFixture::TearDown();
  }

  static frmClipBar& bar() { return ui::Instance<frmClipBar>::get(); }
  static RECT screenRect(HWND hwnd) {
    RECT r{};
    ui::GetWindowRect(hwnd, &r);
    return r;
  }
  void post(std::function<void()> work) {
    ui::PostMessage(probe, WM_APP, 0,
                    reinterpret_cast<LPARAM>(new std::function<void()>(std::move(work))));
  }
  static void click(ui::Form& form, const ui::Control& control) {
    const HWND hwnd = form.hWnd();  // loaded first: the load places the controls
    const RECT r = control.formRect();
    const LPARAM at = (static_cast<LPARAM>(r.top + 2) << 16) | (r.left + 2);
    ui::SendMessage(hwnd, WM_LBUTTONDOWN, 0, at);
    ui::SendMessage(hwnd, WM_LBUTTONUP, 0, at);
  }
  // A clip document holding these text clips.
  static void clipText(const std::vector<std::string>& markups) {
    InitClipXML();
    for (const std::string& markup : markups) {
      xml::Node frame = g_ClipXML().createElement("frame");
      frame.setAttribute("type", "IHTMLTxtRange");
      frame.appendChild(g_ClipXML().createElement("content"))
          .appendChild(g_ClipXML().createCDATASection(markup));
      g_ClipXML().documentElement().appendChild(frame);
    }
  }
  static long widthOf(const ui::Label& label) {
    return ui::MeasureText(label.font(), label.caption()).cx;
  }
};

TEST_F(ClipBarTest, TheBarCoversThePageTopAndItsContentStartsWhereTheWidthSays) {
  struct Case {
    const char* what;
    long pageWidth;
    bool body;
    long barWidth;
    long x0;
  };
  const Case cases[] = {
      {"a page without a body gets 800 whatever the width", 1000, false, 800, 5},
      {"a page area of 816 starts at 5", 816, true, 816, 5},
      {"a page area of 817 is centred, 3.5 going to 4", 817, true, 817, 4},
      {"a page area of 1000 starts at 95", 1000, true, 1000, 95},
      {"a page area of 1001 takes 95.5 to 96", 1001, true, 1001, 96},
      {"a page area of 1003 takes 96.5 to 96, the even neighbour", 1003, true, 1003, 96},
      {"a page area of 1280 starts at 235", 1280, true, 1280, 235},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(window->Load(pageUrl("left.html")));
    window->ResizePage(c.pageWidth, 600);
    html::Document doc = window->page().webBrowser().Document().html();
    if (!c.body) doc.documentElement().removeChild(doc.body());
    CalcPopLimit();
    bar().ShowClipBar();
    const RECT pane = screenRect(window->paneWindow());
    const RECT placed = screenRect(bar().hWnd());
    EXPECT_EQ(placed.left - pane.left, 0);
    EXPECT_EQ(placed.top - pane.top, 0);
    EXPECT_EQ(placed.right - placed.left, c.barWidth);
    EXPECT_EQ(placed.bottom - placed.top, 36);
    EXPECT_TRUE(ui::IsWindowVisible(bar().hWnd()));
    EXPECT_EQ(ui::GetParent(bar().hWnd()), window->paneWindow());
    EXPECT_EQ(ui::GetWindowLongPtr(bar().hWnd(), GWL_STYLE) & (WS_CHILD | WS_POPUP), WS_CHILD);
    EXPECT_EQ(bar().imgBackground.Width, c.barWidth);

    const long button = c.x0 + 220 + 10;
    const long count = button + 220 + 18;
    const long help = count + widthOf(bar().lblCharsRemaining) +
                      widthOf(bar().lblCharsRemaingingText) + widthOf(bar().lblPublishingLimit) +
                      24;
    const std::vector<std::pair<const ui::Control*, std::pair<long, long>>> places = {
        {&bar().imgTagline, {c.x0, 3}},
        {&bar().imgDoneClipping, {button, 4}},
        {&bar().imgChooseOption, {button, 9}},
        {&bar().lblCharCount, {count, 3}},
        {&bar().lblCharactersClipped, {count + widthOf(bar().lblCharCount), 3}},
        {&bar().lblCharsRemaining, {count, 16}},
        {&bar().lblCharsRemaingingText, {count + widthOf(bar().lblCharsRemaining), 16}},
        {&bar().lblPublishingLimit, {help - 24 - widthOf(bar().lblPublishingLimit), 16}},
        {&bar().lblHelp, {help, 9}},
        {&bar().lblCancel, {help + widthOf(bar().lblHelp) + 10, 9}},
    };
    for (std::size_t i = 0; i < places.size(); ++i) {
      EXPECT_EQ(places[i].first->Left, places[i].second.first) << "control " << i;
      EXPECT_EQ(places[i].first->Top, places[i].second.second) << "control " << i;
    }
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(ClipBarTest, TheCountShowsItsDistanceToTheLimitIsKeptWholeAndTheRowsFollowItsWidth) {
  struct Case {
    const char* what;
    std::vector<std::string> clips;
    std::string count, remaining, text;
  };
  const Case cases[] = {
      {"exactly the limit is within it", {std::string(1000, 'x')}, "1000", "0", " to "},
      {"one past the limit is over by one",
       {std::string(600, 'x'), std::string(401, 'y')},
       "1001",
       "1",
       " OVER "},
      {"no clip document counts nothing", {}, "0", "1000", " to "},
      {"a clip past 16 bits keeps its count",
       {std::string(40000, 'x')},
       "40000",
       "39000",
       " OVER "},
      {"an escaped character counts as written", {"<b>&lt;</b>"}, "4", "996", " to "},
      {"tags and white space count nothing", {"<p> <br/>\n\t</p>"}, "0", "1000", " to "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_ClipXML() = xml::Document();
    if (!c.clips.empty()) clipText(c.clips);
    g_ClippedCharCount() = -1;
    CalcPopLimit();
    EXPECT_EQ(bar().lblCharCount.caption(), c.count);
    EXPECT_EQ(bar().lblCharsRemaining.caption(), c.remaining);
    EXPECT_EQ(bar().lblCharsRemaingingText.caption(), c.text);
    EXPECT_EQ(g_ClippedCharCount(), std::stol(c.count));
    // The layout followed the new texts: " OVER " widens the second row.
    EXPECT_EQ(bar().lblPublishingLimit.Left,
              bar().lblCharsRemaingingText.Left + widthOf(bar().lblCharsRemaingingText));
    EXPECT_EQ(bar().lblCharactersClipped.Left,
              bar().lblCharCount.Left + widthOf(bar().lblCharCount));
  }
  // Unclipping the last text clip.
  g_ClipXML().documentElement().removeChild(g_ClipXML().documentElement().firstChild());
  CalcPopLimit();
  EXPECT_EQ(bar().lblCharCount.caption() + "|" + bar().lblCharsRemaining.caption() + "|" +
                bar().lblCharsRemaingingText.caption(),
            "0|1000| to ");
  EXPECT_EQ(records(), 0u);
}

TEST_F(ClipBarTest, DoneClippingOnAnEmptyClipShowsOnlyThePromptCentredOnTheBar) {
  for (const bool document : {false, true}) {
    SCOPED_TRACE(document ? "a clip document with no clip" : "no clip document");
    g_ClipXML() = xml::Document();
    if (document) InitClipXML();
    CalcPopLimit();
    bar().ShowClipBar();
    bool seen = false;
    post([&] {
      seen = true;
      frmPleaseClipSomething& prompt = ui::Instance<frmPleaseClipSomething>::get();
      EXPECT_TRUE(ui::IsWindowVisible(prompt.hWnd()));
      EXPECT_FALSE(ui::IsWindowEnabled(bar().hWnd())) << "the bar waits for the prompt";
      const RECT owner = screenRect(bar().hWnd());
      const RECT r = screenRect(prompt.hWnd());
      EXPECT_EQ(r.right - r.left, 318);
      EXPECT_EQ(r.bottom - r.top, 360);
      EXPECT_EQ((r.left + r.right) / 2, (owner.left + owner.right) / 2);
      EXPECT_EQ((r.top + r.bottom) / 2, (owner.top + owner.bottom) / 2);
      EXPECT_EQ(ui::GetWindowLongPtr(prompt.hWnd(), GWLP_HWNDPARENT),
                reinterpret_cast<LONG_PTR>(bar().hWnd()));
      EXPECT_EQ(prompt.OKButton.formRect().left, 224);
      click(prompt, prompt.OKButton);
    });
    click(bar(), bar().imgDoneClipping);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(ui::Instance<frmPleaseClipSomething>::exists()) << "OK unloads it";
    EXPECT_FALSE(ui::Instance<frmDoneClipping>::exists());
    EXPECT_TRUE(ui::IsWindowEnabled(bar().hWnd()));
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(ClipBarTest, DoneClippingDropsTheDialogUnderTheButtonWhileTheFlagIsSet) {
  window->ResizePage(1000, 600);
  clipText({"<p>kept</p>"});
  CalcPopLimit();
  bar().ShowClipBar();
  bool seen = false;
  post([&] {
    seen = true;
    ASSERT_TRUE(ui::Instance<frmDoneClipping>::exists());
    frmDoneClipping& dialog = ui::Instance<frmDoneClipping>::get();
    const RECT at = screenRect(dialog.hWnd());
    const RECT owner = screenRect(bar().hWnd());
    EXPECT_EQ(at.left, owner.left + 95 + 230);
    EXPECT_EQ(at.top, owner.top + 4 + 28);
    EXPECT_EQ(dialog.Left(), at.left * 15);
    EXPECT_EQ(at.right - at.left, 359);
    EXPECT_EQ(at.bottom - at.top, 239);
    EXPECT_EQ(g_bDoneClippingOpen(), VARIANT_TRUE);
    EXPECT_FALSE(bar().imgDoneClipping.Visible);
    EXPECT_TRUE(bar().imgChooseOption.Visible);
    EXPECT_FALSE(ui::Instance<frmPleaseClipSomething>::exists());
    ui::Instance<frmDoneClipping>::Unload();
  });
  click(bar(), bar().imgDoneClipping);
  EXPECT_TRUE(seen);
  EXPECT_EQ(g_bDoneClippingOpen(), VARIANT_FALSE);
  EXPECT_TRUE(bar().imgDoneClipping.Visible);
  EXPECT_FALSE(bar().imgChooseOption.Visible);
  EXPECT_EQ(records(), 0u);
}

TEST_F(ClipBarTest, TheLinksOpenTheirServicePagesInNewWindows) {
  CalcPopLimit();
  bar().ShowClipBar();
  frmPleaseClipSomething& prompt = ui::Instance<frmPleaseClipSomething>::get();
  struct Case {
    const char* what;
    ui::Form& form;
    const ui::Control& control;
    std::string path;
    bool bars;
    long width, height;
  };
  const Case cases[] = {
      {"Help", bar(), bar().lblHelp, "/how-to-clip/", true, 1024, 768},
      {"the sharing limit", bar(), bar().lblPublishingLimit, "/publishing-limit/", false, 395, 470},
      {"the prompt's picture", prompt, prompt.imgMessage, "/how-to-clip/", true, 1024, 768},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<browser::WebBrowser> before = browser::ShellWindows();
    click(c.form, c.control);
    std::vector<browser::WebBrowser> opened;
    for (const browser::WebBrowser& w : browser::ShellWindows())
      if (std::none_of(before.begin(), before.end(), [&](const auto& b) { return w.is(b); }))
        opened.push_back(w);
    ASSERT_EQ(opened.size(), 1u);
    browser::WebBrowser& ie = opened.front();
    EXPECT_EQ(ie.AddressBar(), c.bars);
    EXPECT_EQ(ie.StatusBar(), c.bars);
    EXPECT_TRUE(ie.Resizable());
    EXPECT_EQ(ie.Width(), c.width);
    EXPECT_EQ(ie.Height(), c.height);
    EXPECT_TRUE(waitFor([&] { return ie.LocationURL() == ServiceAddress(Service().web, c.path); }));
    ie.Quit();
  }
  EXPECT_TRUE(prompt.isLoaded()) << "the prompt stays open";
}

TEST_F(ClipBarTest, ThePointerOverTheBarRaisesItAboveThePage) {
  CalcPopLimit();
  bar().ShowClipBar();
  ui::BringWindowToTop(window->pageWindow());
  const RECT r = screenRect(bar().hWnd());
  const POINT inside{r.left + 400, r.top + 10};
  ASSERT_EQ(ui::WindowFromPoint(inside), window->pageWindow());
  ui::SendMessage(bar().hWnd(), WM_MOUSEMOVE, 0, (10 << 16) | 400);
  EXPECT_EQ(ui::WindowFromPoint(inside), bar().hWnd());
}

}  // namespace
