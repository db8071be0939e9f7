#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clipping_page.h"
#include "dialogs/frmMouseOver.h"
#include "headless/msgbox.h"

namespace {

using namespace std::string_literals;

struct ButtonsTest : ClippingPage {
  void TearDown() override {
    ui::Instance<frmMouseOver>::Unload();
    ClippingPage::TearDown();
  }
  // Presses and releases a mouse button over the control, as a user does.
  static void press(ui::Form& form, const ui::Control& control, UINT down = WM_LBUTTONDOWN,
                    UINT up = WM_LBUTTONUP) {
    const RECT r = control.formRect();
    const LPARAM at = (static_cast<LPARAM>(r.top + 2) << 16) | (r.left + 2);
    ui::SendMessage(form.hWnd(), down, 0, at);
    ui::SendMessage(form.hWnd(), up, 0, at);
  }
  static frmMouseOver& hoverButtonOn(const html::Element& object) {
    frmMouseOver& button = ui::Instance<frmMouseOver>::get();
    button.Load();
    button.setObjectElement(object);
    return button;
  }
  static int picture() {
    const frmMouseOver& button = ui::Instance<frmMouseOver>::get();
    for (int i = 0; i < 3; ++i)
      if (button.imgLumora[i].Visible) return i;
    return -1;
  }
  static void addFrame(const std::string& clipIndex) {
    InitClipXML();
    g_ClipXML()
        .documentElement()
        .appendChild(g_ClipXML().createElement("frame"))
        .setAttribute("clip-index", clipIndex);
  }
};

TEST_F(ButtonsTest, TheHoverButtonClipsThenUnclipsWhateverTheMouseButton) {
  // A player no capture knows: the clip numbers it and logs the capture it could not make.
  doc.body().insertAdjacentHTML("beforeEnd", "<object id=player width=160 height=100></object>");
  const html::Element player = byId("player");
  frmMouseOver& button = hoverButtonOn(player);
  ASSERT_EQ(picture(), 0);
  const std::string index = std::to_string(g_ClipIndex());
  press(button, button.imgLumora[0], WM_RBUTTONDOWN, WM_RBUTTONUP);
  expectedRecords = 1;
  EXPECT_EQ(player.getAttribute("clip-index"), index);
  EXPECT_EQ(picture(), 1);

  // What a known player's capture adds, after an earlier clip.
  addFrame("earlier");
  addFrame(index);
  button.setObjectElement(player);
  EXPECT_EQ(picture(), 1) << "entering the object again reads the clip";
  press(button, button.imgLumora[1]);
  ASSERT_EQ(frames().size(), 1u);
  EXPECT_EQ(frames()[0].getAttribute("clip-index"), "earlier");
  EXPECT_EQ(picture(), 0);
  button.setObjectElement(player);
  EXPECT_EQ(picture(), 0);
}

TEST_F(ButtonsTest, AVideoWhoseEmbeddingIsDisabledOnlyExplains) {
  const html::Document watch = headless::dom::newDocument(
      "<embed id=v width=200 height=100><input name=embed_code value='Embedding disabled'>",
      "http://" + std::string(kVideoSiteHost) + "/watch?v=1");
  frmMouseOver& button = hoverButtonOn(watch.getElementById("v"));
  ASSERT_EQ(picture(), 2);
  const std::size_t before = headless::MessageBoxesShown().size();
  const std::int32_t index = g_ClipIndex();
  press(button, button.imgLumora[2]);
  const std::vector<headless::ShownMessageBox> boxes = headless::MessageBoxesShown();
  ASSERT_EQ(boxes.size(), before + 1);
  EXPECT_EQ(boxes.back().text + "|" + boxes.back().caption,
            kEmbeddingDisabledMessage + "|"s + kProjectName);
  EXPECT_EQ(boxes.back().type, MB_OK);
  EXPECT_EQ(picture(), 2);
  EXPECT_EQ(g_ClipIndex(), index) << "nothing was clipped";
}

// The page writes the attribute: it is read as text, never as part of a query.
TEST_F(ButtonsTest, AClipIndexFindsOnlyTheFrameThatReadsTheSame) {
  for (const char* index : {"7", "it's", "a\"b"}) addFrame(index);
  const struct {
    const char* attribute;
    int picture;
  } cases[] = {{"7", 1},  {"it's", 1},         {"a\"b", 1},           {" 7", 0},
               {"07", 0}, {"x' or '1'='1", 0}, {"7'] | //*[@x='", 0}, {"]]>&<frame/>", 0},
               {"", 0}};
  const html::Element video = byId("video");
  frmMouseOver& button = hoverButtonOn(video);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.attribute);
    byId("video").setAttribute("clip-index", c.attribute);
    button.setObjectElement(video);
    EXPECT_EQ(picture(), c.picture);
  }
}

// 77 = the button's width and a gap of 10 left of the right edge; 10 below the top.
TEST_F(ButtonsTest, TheHoverButtonKeepsToItsObjectsCornerWhileClipping) {
  const struct {
    const char* what;
    std::int16_t mode;
    bool scroll;  // else a resize
  } cases[] = {{"scroll", 1, true}, {"resize", 1, false}, {"scroll, not clipping", 0, true}};
  const html::Element object = byId("more");  // a block as wide as the page
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    window->ResizePage(900, 600);
    doc.documentElement().setScrollTop(0);
    frmMouseOver& button = hoverButtonOn(object);
    PositionObjectClipper();
    const html::Rect before = object.getBoundingClientRect();
    ui::Instance<frmToolband>::get().bLumoraMode = c.mode;
    if (c.scroll)
      doc.documentElement().setScrollTop(30);
    else
      window->ResizePage(700, 600);
    const html::Rect r = c.mode ? object.getBoundingClientRect() : before;
    EXPECT_TRUE(ui::IsWindowVisible(button.hWnd()));
    EXPECT_EQ(testing_support::placeOf(button.hWnd(), window->paneWindow()),
              (std::array{r.right - 77, r.top + 10, 67L, 19L}));
    ui::Instance<frmToolband>::get().bLumoraMode = 1;
  }
}

TEST_F(ButtonsTest, TheSelectionButtonClipsTheSelectionOnceAndGoes) {
  rangeOver(byId("text"));
  proxy->setSelectStart(-1);
  frmClipSelection& button = ui::Instance<frmClipSelection>::get();
  ASSERT_TRUE(ui::IsWindowVisible(button.hWnd()));
  press(button, button.imgClip);
  ASSERT_EQ(frames().size(), 1u);
  EXPECT_EQ(frames()[0].getAttribute("type"), "IHTMLTxtRange");
  EXPECT_EQ(markersShown(), 2u);
  EXPECT_EQ(doc.selection().type(), "None");
  EXPECT_EQ(proxy->SelectStart, 0) << "the next click in the page would not clip";
  EXPECT_FALSE(ui::Instance<frmClipSelection>::exists() &&
               ui::IsWindowVisible(ui::Instance<frmClipSelection>::get().hWnd()))
      << "a button is left to click again";

  // Without its page the click fails and the button stays for another try.
  frmClipSelection& lost = ui::Instance<frmClipSelection>::get();
  lost.Load();
  press(lost, lost.imgClip);
  expectedRecords = 1;
  EXPECT_EQ(lastRecord(), "frmClipSelection imgClip_Click() 91 ");
  EXPECT_TRUE(ui::Instance<frmClipSelection>::exists() && lost.isLoaded());
  EXPECT_EQ(frames().size(), 1u);
}

}  // namespace
