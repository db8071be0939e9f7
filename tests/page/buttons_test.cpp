#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "clipping_page.h"
#include "dialogs/frmMouseOver.h"
#include "headless/msgbox.h"

namespace {

struct ButtonsTest : ClippingPage {
  void TearDown() override {
    ui::Instance<frmMouseOver>::Unload();
    ClippingPage::TearDown();
  }
  // Presses and releases a mouse button over the control, as a user does.
  static void press(ui::Form& form, const ui::Control& control, UINT down = WM_LBUTTONDOWN) {
    const RECT r = control.formRect();
    const LPARAM at = (static_cast<LPARAM>(r.top + 2) << 16) | (r.left + 2);
    ui::SendMessage(form.hWnd(), down, 0, at);
    ui::SendMessage(form.hWnd(), down + 1, 0, at);  // its button's release
  }
  static frmMouseOver& hoverButtonOn(const html::Element& object) {
    frmMouseOver& button = ui::Instance<frmMouseOver>::get();
    button.Load();
    button.setObjectElement(object);
    return button;
  }
  static int picture() {
    const auto& pictures = ui::Instance<frmMouseOver>::get().imgLumora;
    return static_cast<int>(std::find_if(pictures.begin(), pictures.end(),
                                         [](const ui::Image& p) { return p.Visible; }) -
                            pictures.begin());
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
  const std::string index = std::to_string(g_ClipIndex());
  press(button, button.imgLumora[0], WM_RBUTTONDOWN);
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
}

TEST_F(ButtonsTest, AVideoWhoseEmbeddingIsDisabledOnlyExplains) {
  const html::Document watch =
      headless::dom::newDocument("<embed id=v><input name=embed_code value='Embedding disabled'>",
                                 "http://" + std::string(kVideoSiteHost) + "/watch?v=1");
  frmMouseOver& button = hoverButtonOn(watch.getElementById("v"));
  const std::size_t before = headless::MessageBoxesShown().size();
  const std::int32_t index = g_ClipIndex();
  press(button, button.imgLumora[2]);
  ASSERT_EQ(headless::MessageBoxesShown().size(), before + 1);
  const headless::ShownMessageBox box = headless::MessageBoxesShown().back();
  EXPECT_EQ(box.text, kEmbeddingDisabledMessage);
  EXPECT_EQ(box.caption + " " + std::to_string(box.type), std::string(kProjectName) + " 0");
  EXPECT_EQ(picture(), 2);
  EXPECT_EQ(g_ClipIndex(), index) << "nothing was clipped";
}

// The page writes the attribute: it is read as text, never as part of a query.
TEST_F(ButtonsTest, AClipIndexFindsOnlyTheFrameThatReadsTheSame) {
  for (const char* index : {"7", "it's", "a\"b"}) addFrame(index);
  const struct {
    const char* attribute;
    int picture;
  } cases[] = {{"7", 1},  {"it's", 1},         {"a\"b", 1},
               {" 7", 0}, {"x' or '1'='1", 0}, {"7'] | //*[@x='", 0}};
  html::Element video = byId("video");
  frmMouseOver& button = hoverButtonOn(video);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.attribute);
    video.setAttribute("clip-index", c.attribute);
    button.setObjectElement(video);
    EXPECT_EQ(picture(), c.picture);
  }
}

TEST_F(ButtonsTest, TheSelectionButtonClipsTheSelectionOnceAndGoes) {
  rangeOver(byId("text"));
  proxy->setSelectStart(-1);
  frmClipSelection& button = ui::Instance<frmClipSelection>::get();
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
}

}  // namespace
