#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "clip/Clipper.h"
#include "page/clipping_page.h"

namespace {

using ClippingTest = ClippingPage;

TEST_F(ClippingTest, WithoutTheFramesBorderNothingIsClippedAndNoIndexIsTaken) {
  for (const char* side :
       {"dvLumBorderLeft", "dvLumBorderRight", "dvLumBorderTop", "dvLumBorderBottom"})
    doc.body().removeChild(byId(side));
  const std::int32_t next = g_ClipIndex();
  EXPECT_FALSE(clipObject(byId("text")));
  EXPECT_EQ(g_ClipIndex(), next);
  EXPECT_TRUE(frames().empty());
  EXPECT_EQ(overlaysShown(), 0u);
}

// Each later clip absorbs the earlier ones inside it (itself included); others stay.
TEST_F(ClippingTest, AnElementClipReplacesTheClipsInsideIt) {
  struct Case {
    const char* name;
    std::vector<const char*> clipped;  // in this order
    std::vector<const char*> left;     // the elements still clipped, in their order
  };
  const Case cases[] = {
      {"a table after one of its cells", {"cell", "grid"}, {"grid"}},
      {"the same element twice", {"text", "text"}, {"text"}},
      {"two elements side by side", {"text", "more"}, {"text", "more"}},
      {"a cell after its table", {"grid", "cell"}, {"grid", "cell"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveSelectionBounds(doc, -1);
    for (auto overlay : doc.getElementsByName("LumoraElementOverlay")) RemoveElement(overlay);
    const std::int32_t first = g_ClipIndex();
    for (const char* id : c.clipped) ASSERT_TRUE(clipObject(byId(id)));
    ASSERT_EQ(g_ClippedElementCount(), static_cast<std::int32_t>(c.left.size()));
    ASSERT_EQ(frames().size(), c.left.size());
    ASSERT_EQ(overlaysShown(), c.left.size());
    for (std::size_t i = 0; i < c.left.size(); ++i) {
      EXPECT_TRUE(g_ClippedElements()[i + 1].is(byId(c.left[i])));
      const std::string index = *g_ElementOverlays()[i + 1].getAttribute("clip-index");
      EXPECT_EQ(frames()[i].getAttribute("clip-index"), index) << "overlay and frame agree";
      EXPECT_GE(std::stoi(index), first + static_cast<int>(c.clipped.size() - c.left.size()));
    }
  }
}

// The overlay is 8 wider and 6 taller than the element; the picture fits it in one of three
// ways, with halves rounded to the even neighbour.
TEST_F(ClippingTest, TheOverlayPictureFitsTheOverlayOnEachSideOfItsBoundaries) {
  struct Case {
    long width, height;        // of the overlay
    const char* top;           // the picture's top, without a unit in the first two forms
    const char* pictureWidth;  // "none": the attribute is not set
    const char* pictureHeight;
  };
  const Case cases[] = {
      {300, 50, "0px", "none", "41"},  // flat and low: no offset, scaled to the height
      {300, 70, "8px", "none", "63"},  // flat: T = Round(7.55)
      {400, 71, "8px", "none", "64"},  // just under 72 high
      {400, 72, "4", "251", "65"},     // 72 high: natural size, Round(3.5) = 4
      {278, 80, "13", "247", "none"},  // tall and narrower than 279: scaled to the width
      {279, 80, "8", "251", "65"},     // 279 wide: natural size, Round(7.5) = 8
      {232, 60, "3", "205", "none"},   // 60 x 3.87 = 232.2 is just not under 232
      {233, 60, "3px", "none", "54"},  // and is under 233
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    html::Element box = byId("box");
    box.style().setWidth(std::to_string(c.width - 8) + "px");
    box.style().setHeight(std::to_string(c.height - 6) + "px");
    ASSERT_TRUE(clipObject(box));
    const html::Element overlay = g_ElementOverlays()[g_ClippedElementCount()];
    EXPECT_EQ(overlay.style().width(), std::to_string(c.width) + "px");
    EXPECT_EQ(overlay.style().height(), std::to_string(c.height) + "px");
    const html::Element picture = byId("LumoraOverlayChild");
    ASSERT_TRUE(picture.parentElement().is(overlay));
    EXPECT_EQ(picture.style().top(), c.top);
    EXPECT_EQ(picture.getAttribute("width").value_or("none"), c.pictureWidth);
    EXPECT_EQ(picture.getAttribute("height").value_or("none"), c.pictureHeight);
    EXPECT_EQ(picture.getAttribute("src"),
              ServiceAddress(Service().staticContent, "/images/clipped.gif"));
  }
}

TEST_F(ClippingTest, SelectionMarkersGoWithTheirClipOrAllAtOnce) {
  for (const char* id : {"text", "more"}) ASSERT_TRUE(clipObject(rangeOver(byId(id))));
  ASSERT_EQ(markersShown(), 4u);
  const std::string first = *frames()[0].getAttribute("clip-index");
  RemoveSelectionBounds(doc, std::stoi(first));
  ASSERT_EQ(markersShown(), 2u);
  for (const html::Element& marker : doc.getElementsByName("Folverra_SelectionBounds"))
    EXPECT_NE(marker.getAttribute("clip-index"), first);
  RemoveSelectionBounds(doc, -1);
  EXPECT_EQ(markersShown(), 0u);
  EXPECT_EQ(frames().size(), 2u) << "the frames are not the markers' to remove";
}

TEST_F(ClippingTest, TheClipDocumentParsesAndKeepsItsOrder) {
  ASSERT_TRUE(clipObject(rangeOver(byId("text"))));
  ASSERT_TRUE(clipObject(byId("pic"), "IMG[0]/"));
  ASSERT_TRUE(clipObject(byId("cell"), "TABLE[0]/TD[0]/", -1));
  xml::Document parsed = xml::Document::Create();
  ASSERT_TRUE(parsed.loadXML(g_ClipXML().xml()));
  // libxml2 reads it too, as the service's own parser would.
  std::ofstream(dir.path() / "clip.xml") << g_ClipXML().xml();
  EXPECT_EQ(std::system(("xmllint --noout " + (dir.path() / "clip.xml").string()).c_str()), 0);
  const xml::NodeList list = parsed.documentElement().childNodes();
  ASSERT_EQ(list.length(), 3);
  const char* const bodies[] = {"content", "image", "content"};
  for (long i = 0; i < 3; ++i) {
    const xml::Node frame = list.item(i);
    const std::string xml = frame.xml();
    EXPECT_LT(xml.find(" type="), xml.find(" background-color=")) << xml;
    EXPECT_LT(xml.find(" background-color="), xml.find(" clip-index=")) << xml;
    const xml::NodeList parts = frame.childNodes();
    EXPECT_EQ(
        parts.item(0).nodeName() + " " + parts.item(1).nodeName() + " " + parts.item(2).nodeName(),
        std::string("meta source ") + bodies[i]);
  }
  EXPECT_FALSE(list.item(0).selectSingleNode("path")) << "no path, no element";
  EXPECT_EQ(list.item(1).selectSingleNode("path[@column='false']").text(), "IMG[0]/");
  EXPECT_EQ(list.item(2).selectSingleNode("path[@column='true']").text(), "TABLE[0]/TD[0]/");
  EXPECT_EQ(list.item(2).childNodes().item(3).nodeName(), "path") << "after the content";
}

// Another component hands the page, the object and the path over as COM objects.
TEST_F(ClippingTest, TheClipperObjectClipsWhatAnotherComponentHandsIt) {
  com::Ptr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(CLSID_Clipper, IID_IClassFactory, factory.putVoid()), S_OK);
  com::Ptr<_Clipper> clipper;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID__Clipper, clipper.putVoid()), S_OK);
  struct Case {
    com::Ptr<IUnknown> object;
    std::u16string path;
    const char* type;
    const char* body;
  };
  const Case cases[] = {{rangeOver(byId("text")).unknown(), u"", "IHTMLTxtRange", "content"},
                        {byId("pic").unknown(), u"IMG[0]/", "HTMLImg", "image"},
                        {byId("more").unknown(), u"P[1]/", "IHTMLTxtRange", "content"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    const com::Ptr<IUnknown> document = doc.unknown();
    IUnknown *page = document.get(), *object = c.object.get();
    std::u16string text = c.path;
    BSTR path = reinterpret_cast<BSTR>(text.data());
    VARIANT_BOOL column = 0;
    const std::size_t before = frames().size();
    EXPECT_EQ(clipper->Clip(&page, &object, &path, &column), S_OK);
    ASSERT_EQ(frames().size(), before + 1);
    EXPECT_EQ(frames().back().getAttribute("type"), c.type);
    EXPECT_EQ(frames().back().childNodes().item(2).nodeName(), c.body);
    const xml::Node stored = frames().back().selectSingleNode("path");
    EXPECT_EQ(stored ? stored.text() : "", platform::toUtf8(c.path));
  }
  EXPECT_EQ(markersShown(), 2u);
  EXPECT_EQ(overlaysShown(), 2u);
}

}  // namespace
