// Real saved pages, as they come: each opens, with a proxy for the page and for every frame that
// loaded, whatever its advertising frames point at, and its body clips into a well-formed frame
// with no script in it.
#include <gtest/gtest.h>

#include <filesystem>
#include <pugixml.hpp>

#include "clip/Capture.h"
#include "runtime/strings.h"
#include "toolbar_fixture.h"

namespace {

struct Loads : browser::Events {
  int completed = 0, failed = 0;
  void NavigateComplete2(const browser::WebBrowser&, const std::string&) override { ++completed; }
  void NavigateError(const browser::WebBrowser&, const std::string&, const std::string&, long,
                     bool&) override {
    ++failed;
  }
};

}  // namespace

using RealPagesTest = ToolbarFixture;

TEST_F(RealPagesTest, EverySavedPageOpensWithAProxyForItAndEachFrame) {
  const std::filesystem::path folder = std::filesystem::path(FOLVERRA_REAL_PAGES);
  int pages = 0, failedFrames = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".html") continue;
    SCOPED_TRACE(entry.path().filename().string());
    Loads loads;
    const auto connection = ToolbandBrowser().connect(loads);
    ASSERT_TRUE(window->Load("file://" + entry.path().string()));
    EXPECT_EQ(g_ProxyCount(), loads.completed);
    const html::Document page = window->page().webBrowser().Document().html();
    const xml::Document frame = ClipHTMLElement(page, page.body(), false);
    ASSERT_TRUE(frame) << "the body was not captured";
    const std::string clip = frame.xml();
    EXPECT_TRUE(pugi::xml_document().load_string(clip.c_str())) << "the frame is not well-formed";
    EXPECT_EQ(platform::lowerAscii(clip).find("<script"), std::string::npos);
    failedFrames += loads.failed;
    ++pages;
  }
  EXPECT_EQ(pages, 33);
  EXPECT_GT(failedFrames, 0) << "the pages' advertising frames point outside loopback";
}
