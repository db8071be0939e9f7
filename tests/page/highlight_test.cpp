#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <utility>

#include "band/mdlCommon.h"
#include "clip/mdlClip.h"
#include "dialogs/frmMouseOver.h"
#include "headless/pages.h"
#include "headless/pointer.h"
#include "page/SharedReferences.h"
#include "page_fixture.h"
#include "toolbar/frmToolband.h"

namespace {

// Scrolled by 100 in the tests: the last DIV makes the page tall enough, the first keeps the
// content in view. The wide DIV reaches past the body's right edge.
constexpr const char* kPage = R"(<html><body><div style="height:150px"></div>
<p id="text" style="width:300px">Words to frame</p>
<img id="pic" width="120" height="40"><a id="link" href="#x">a link</a><input id="field">
<table id="grid" width="400"><tr><td id="c11">one</td><td id="c12">two</td></tr>
<tr><td id="c21">three</td></tr></table>
<label id="tag">label</label>
<div id="wide" style="position:absolute;left:900px;top:400px;width:300px;height:30px">w</div>
<embed id="video" width="200" height="120" style="position:absolute;left:500px;top:300px">
<embed id="thin" width="40" height="120" style="position:absolute;left:100px;top:300px">
<embed id="flat" width="200" height="40" style="position:absolute;left:200px;top:300px">
<object id="movie" width="160" height="100" style="position:absolute;left:100px;top:500px">
</object>
<div style="position:absolute;left:0px;top:2000px;width:10px;height:10px"></div>
</body></html>)";

constexpr const char* kSides[] = {"dvLumBorderLeft", "dvLumBorderTop", "dvLumBorderRight",
                                  "dvLumBorderBottom"};

using Box = std::array<long, 4>;  // left, top, right, bottom
using Frame = std::array<Box, 4>;

// Left, top, right, bottom DIVs around r: a gap of 2 and 4 thick on every side.
Frame around(const html::Rect& r) {
  return {{{r.left - 6, r.top - 6, r.left - 2, r.bottom + 2},
           {r.left - 6, r.top - 6, r.right + 2, r.top - 2},
           {r.right + 2, r.top - 6, r.right + 6, r.bottom + 6},
           {r.left - 6, r.bottom + 2, r.right + 2, r.bottom + 6}}};
}

struct HighlightTest : PageFixture {
  testing_support::PageServer server{{{"/page.html", kPage}}};
  bool hadToolband = ui::Instance<frmToolband>::exists();
  std::int16_t mode = std::exchange(ui::Instance<frmToolband>::get().bLumoraMode, 1);
  xml::Document videos = std::exchange(g_oSupportedVideo(), {});
  HWND pane = g_hWndBrowserPane();
  VARIANT_BOOL menu = std::exchange(g_bContextMenuVisible(), 0);
  VARIANT_BOOL dialog = std::exchange(g_bDoneClippingOpen(), 0);
  std::shared_ptr<WindowProxy> proxy;
  html::Document doc;

  void SetUp() override {
    ASSERT_TRUE(window->Load(server.url("/page.html")));
    g_hWndBrowserPane() = window->paneWindow();
    doc = window->page().webBrowser().Document().html();
    doc.documentElement().setScrollTop(100);
    proxy = WindowProxy::New();
    proxy->SetWindow(window->page().webBrowser());
    supportVideosOf("127.0.0.1");
  }
  void TearDown() override {
    ui::Instance<frmMouseOver>::Unload();
    g_bContextMenuVisible() = menu;
    g_bDoneClippingOpen() = dialog;
    g_hWndBrowserPane() = pane;
    g_oSupportedVideo() = videos;
    ui::Instance<frmToolband>::get().bLumoraMode = mode;
    if (!hadToolband) ui::Instance<frmToolband>::Unload();
    PageFixture::TearDown();
  }
  static void supportVideosOf(const std::string& domain) {
    g_oSupportedVideo() = xml::Document::Create();
    g_oSupportedVideo().loadXML("<videos><site domain='videos.folverra.example'/><site domain='" +
                                domain + "'/></videos>");
  }
  html::Element byId(const std::string& id) const { return doc.getElementById(id); }
  // Moves the mouse onto the middle of an element, or out of the page with none.
  void hover(const std::string& id = {}) {
    if (id.empty()) return headless::pointer::move(doc, -1, -1);
    const html::Rect r = byId(id).getBoundingClientRect();
    headless::pointer::move(doc, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  // The shown border DIVs; empty when the frame is hidden.
  std::optional<Frame> frame() const {
    Frame f;
    for (std::size_t i = 0; i < 4; ++i) {
      const html::Element side = byId(kSides[i]);
      if (side.style().display() != "block") return std::nullopt;
      const html::Rect r = side.getBoundingClientRect();
      f[i] = {r.left, r.top, r.right, r.bottom};
    }
    return f;
  }
  bool hoverButtonShown() const {
    return ui::Instance<frmMouseOver>::exists() && ui::Instance<frmMouseOver>::get().isLoaded() &&
           ui::IsWindowVisible(ui::Instance<frmMouseOver>::get().hWnd());
  }
};

}  // namespace

TEST_F(HighlightTest, HoveringFramesWhatCanBeClippedAndHooksItsClick) {
  const struct {
    const char *id, *type;  // id empty: the body
    bool framed;
    html::Element WindowProxy::*hook;  // null: nothing is hooked
  } cases[] = {{"text", "HTMLParaElement", true, &WindowProxy::oMouseElement},
               {"pic", "HTMLImg", true, &WindowProxy::oMouseElementImage},
               {"c12", "HTMLTableCell", true, &WindowProxy::oMouseElementTableCell},
               {"tag", "HTMLLabelElement", true, &WindowProxy::oMouseElementLabel},
               {"link", "HTMLAnchorElement", false, nullptr},
               {"field", "HTMLInputElement", false, nullptr},
               {"grid", "HTMLTableRow", false, nullptr},
               {"", "HTMLBody", false, nullptr}};
  const html::Rect shortRow = byId("c21").getBoundingClientRect();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    hover();
    proxy->oMouseElementImage = proxy->oMouseElementTableCell = proxy->oMouseElementLabel = {};
    const html::Rect r = *c.id ? byId(c.id).getBoundingClientRect() : html::Rect{};
    // Right of the short row's cell the table shows its row; below everything, the body.
    using Point = std::pair<long, long>;
    const auto [x, y] = std::string(c.id) == "grid" ? Point{shortRow.right + 20, shortRow.top + 4}
                        : *c.id ? Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}
                                : Point{600, 600};
    headless::pointer::move(doc, x, y);
    const html::Element under = doc.elementFromPoint(x, y);
    ASSERT_EQ(under.typeName(), c.type);
    EXPECT_EQ(frame(), c.framed ? std::optional(around(r)) : std::nullopt);
    EXPECT_EQ(g_CurrentElement() && g_CurrentElement().is(under), c.framed);
    for (const auto member :
         {&WindowProxy::oMouseElement, &WindowProxy::oMouseElementImage,
          &WindowProxy::oMouseElementTableCell, &WindowProxy::oMouseElementLabel})
      EXPECT_EQ(((*proxy).*member).is(under), member == c.hook);
  }
}

TEST_F(HighlightTest, AColumnFrameAndACutFrameTakeTheirOwnEdges) {
  const html::Rect cell = byId("c21").getBoundingClientRect();
  const html::Rect table = byId("grid").getBoundingClientRect();
  proxy->HighlightElement(byId("c21"), -1);
  const html::Rect column{cell.left, table.top, cell.right, table.bottom};
  EXPECT_EQ(frame(), around(column)) << "the cell's left and width, the table's top and height";
  EXPECT_TRUE(g_HighlightElement().is(byId("grid")));

  hover("wide");
  const long edge = doc.body().offsetWidth() - 2;
  ASSERT_GT(byId("wide").getBoundingClientRect().right, edge);
  EXPECT_EQ(byId("dvLumBorderRight").getBoundingClientRect().right, edge);
  EXPECT_EQ(byId("dvLumBorderTop").getBoundingClientRect().right, edge - 4);
  EXPECT_EQ(byId("dvLumBorderLeft").getBoundingClientRect().left,
            byId("wide").getBoundingClientRect().left - 6);
}

TEST_F(HighlightTest, TheFrameStaysOnItsOwnBorderAndGoesWithTheMouseOutOfThePage) {
  hover("text");
  const std::optional<Frame> framed = frame();
  ASSERT_TRUE(framed);
  headless::pointer::move(doc, (*framed)[0][0] + 1, (*framed)[0][1] + 10);  // on the left side
  EXPECT_EQ(frame(), framed);
  EXPECT_TRUE(g_CurrentElement().is(byId("text")));
  hover("text");
  EXPECT_EQ(frame(), framed);
  hover();
  EXPECT_EQ(frame(), std::nullopt);
  EXPECT_FALSE(g_CurrentElement());
  EXPECT_FALSE(g_HighlightElement());
}

TEST_F(HighlightTest, NothingChangesWhileTheMenuADialogOrASelectionHoldsThePage) {
  VARIANT_BOOL* const flags[] = {&g_bContextMenuVisible(), &g_bDoneClippingOpen(),
                                 &proxy->SelectStart};
  for (VARIANT_BOOL* flag : flags) {
    hover();
    *flag = -1;
    hover("pic");
    *flag = 0;
    EXPECT_EQ(frame(), std::nullopt);
    EXPECT_FALSE(proxy->oMouseElementImage);
  }
  hover("text");
  g_bContextMenuVisible() = -1;
  hover("pic");
  EXPECT_EQ(frame(), around(byId("text").getBoundingClientRect())) << "kept for the menu";
}

TEST_F(HighlightTest, APageBeforeInteractiveIgnoresTheMouse) {
  proxy->Cleanup();
  headless::dom::nodeOf(doc)->doc->readyState = "loading";
  proxy = WindowProxy::New();
  proxy->SetWindow(window->page().webBrowser());
  headless::dom::nodeOf(doc)->doc->readyState = "complete";
  hover("pic");
  EXPECT_FALSE(proxy->oMouseElementImage);
  EXPECT_FALSE(g_CurrentElement());
}

TEST_F(HighlightTest, OnlyLargeVideosOfSupportedSitesGetTheHoverButtonAtTheirCorner) {
  const struct {
    const char *id, *site, *state;  // site: the supported one besides the example host
    bool offered;
  } cases[] = {
      {"video", "127.0.0.1", "complete", true},     {"movie", "127.0.0.1", "complete", true},
      {"movie", "127.0.0.1", "interactive", false},  // the object still loads
      {"thin", "127.0.0.1", "complete", false},     {"flat", "127.0.0.1", "complete", false},
      {"video", "10.9.9.9", "complete", false}};
  for (const auto& [id, site, state, offered] : cases) {
    SCOPED_TRACE(std::string(id) + " " + site + " " + state);
    ui::Instance<frmMouseOver>::Unload();
    supportVideosOf(site);
    headless::dom::nodeOf(doc)->doc->readyState = state;
    hover();
    hover(id);
    headless::dom::nodeOf(doc)->doc->readyState = "complete";
    ASSERT_EQ(hoverButtonShown(), offered);
    if (!offered) continue;
    frmMouseOver& button = ui::Instance<frmMouseOver>::get();
    EXPECT_TRUE(button.ObjectElement().is(byId(id)));
    EXPECT_EQ(ui::GetParent(button.hWnd()), window->paneWindow());
    const html::Rect r = byId(id).getBoundingClientRect();
    EXPECT_EQ(testing_support::placeOf(button.hWnd(), window->paneWindow()),
              (std::array{r.right - 77, r.top + 10, 67L, 19L}));
  }
}

TEST_F(HighlightTest, ClearingOverlaysTakesEveryOverlayOffAndUnloadsTheHoverButton) {
  for (int i = 0; i < 2; ++i)
    doc.body().insertAdjacentHTML("beforeEnd", "<div id='LumoraElementOverlay'>o</div>");
  hover("video");
  ASSERT_TRUE(hoverButtonShown());
  proxy->ClearOverlays();
  EXPECT_TRUE(doc.getElementsByName("LumoraElementOverlay").empty());
  EXPECT_FALSE(ui::Instance<frmMouseOver>::exists());
}

TEST_F(HighlightTest, TheHoverPictureFollowsTheClipThenTheVideoSitesEmbeddingSwitch) {
  const struct {
    const char *host, *embedCode, *clipIndex;  // null: no embed code field, no clip index
    int shown;
  } cases[] = {{"127.0.0.1", "Embedding disabled", nullptr, 0},
               {kVideoSiteHost, nullptr, nullptr, 0},
               {kVideoSiteHost, "<embed src='v.swf'>", nullptr, 0},
               {"www.Videos.Folverra.Example", "EMBEDDING DISABLED by request", nullptr, 2},
               {kVideoSiteHost, "Embedding disabled", "7", 1},
               {kVideoSiteHost, "Embedding disabled", "8", 2}};
  const xml::Document clip = std::exchange(g_ClipXML(), {});
  InitClipXML();
  g_ClipXML()
      .documentElement()
      .appendChild(g_ClipXML().createElement("frame"))
      .setAttribute("clip-index", "7");
  frmMouseOver& button = ui::Instance<frmMouseOver>::get();
  button.Load();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " " + (c.embedCode ? c.embedCode : "-"));
    std::string markup = "<embed id=v width=200 height=100>";
    if (c.embedCode) markup += "<input name=embed_code value=\"" + std::string(c.embedCode) + "\">";
    const html::Document page =
        headless::dom::newDocument(markup, "http://" + std::string(c.host) + "/watch?v=1");
    html::Element video = page.getElementById("v");
    if (c.clipIndex) video.setAttribute("clip-index", c.clipIndex);
    button.setObjectElement(video);
    EXPECT_TRUE(button.ObjectElement().is(video));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(button.imgLumora[i].Visible, i == c.shown) << i;
  }
  g_ClipXML() = clip;
}
