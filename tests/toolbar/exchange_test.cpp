#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <pugixml.hpp>

#include "dialogs/frmOverLimit.h"
#include "dialogs/frmOverLimitBlog.h"
#include "toolbar_fixture.h"

namespace {

namespace fs = std::filesystem;

struct ExchangeTest : ToolbarFixture {
  void SetUp() override {
    ToolbarFixture::SetUp();
    ASSERT_TRUE(window->Load(pageUrl("clipping.html")));
    ASSERT_TRUE(waitFor([] { return static_cast<bool>(form().oDocument); }));
  }
  // The files of a folder, oldest name first; none when it is missing.
  static std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    if (fs::exists(folder))
      for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
  }
  fs::path unsent() const { return dir.path() / "unsent"; }
  // A clip of count characters, chosen in the done-clipping dialog.
  static void choose(std::int32_t count, VARIANT_BOOL print, VARIANT_BOOL blog,
                     VARIANT_BOOL email) {
    clipText({"<p>clipped</p>"});
    g_ClippedCharCount() = count;
    form().TagIt(print, blog, email);
  }
  // The browser window that appears when one is expected; Nothing when none does.
  static browser::WebBrowser awaitNewWindow(std::size_t before, bool expected = true) {
    if (expected)
      waitFor([&] { return browser::ShellWindows().size() > before; });
    else
      testing_support::pumpFor(std::chrono::milliseconds(500));
    const auto all = browser::ShellWindows();
    return all.size() > before ? all.back() : browser::WebBrowser();
  }
  std::string flags() const {
    return std::to_string(form().bPrint) + std::to_string(form().bBlog) +
           std::to_string(form().bEmail);
  }
};

constexpr VARIANT_BOOL T = VARIANT_TRUE, F = VARIANT_FALSE;

TEST_F(ExchangeTest, OnlyAClipWithinTheSharingLimitIsPostedAtOnce) {
  // The over-limit dialog shown, if any, and the button it is left with.
  const struct {
    const char* name;
    std::int32_t count;
    VARIANT_BOOL blog, email;
    const char* dialog;
    bool savePrivately, posted;
  } cases[] = {
      {"exactly 1000 characters", 1000, F, F, "", false, true},
      {"1001 characters, edit clip", 1001, F, F, "frmOverLimit", false, false},
      {"1001 characters for the blog", 1001, T, F, "frmOverLimitBlog", false, false},
      {"1001 characters for e-mail, saved privately", 1001, F, T, "frmOverLimit", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t stored = filesIn(service->store()).size();
    const std::size_t before = browser::ShellWindows().size();
    std::string shown;
    later([&] {
      if (ui::Instance<frmOverLimit>::exists()) {
        frmOverLimit& d = ui::Instance<frmOverLimit>::get();
        shown = "frmOverLimit";
        click(d, c.savePrivately ? d.cmdSave : d.cmdCancel);
      } else if (ui::Instance<frmOverLimitBlog>::exists()) {
        shown = "frmOverLimitBlog";
        click(ui::Instance<frmOverLimitBlog>::get(),
              ui::Instance<frmOverLimitBlog>::get().cmdCancel);
      }
    });
    choose(c.count, F, c.blog, c.email);
    EXPECT_EQ(shown, c.dialog);
    browser::WebBrowser opened = awaitNewWindow(before, c.posted);
    EXPECT_EQ(filesIn(service->store()).size(), stored + (c.posted ? 1 : 0));
    EXPECT_EQ(static_cast<bool>(opened), c.posted);
    EXPECT_EQ(g_ClipXML().isNothing(), c.posted) << "an unposted clip stays in clipping";
    if (opened && c.email) {
      EXPECT_NE(opened.LocationURL().find("/email_folverra.aspx?direct=true&folverra="),
                std::string::npos);
    }
    if (opened) opened.Quit();
    testing_support::pumpFor(std::chrono::milliseconds(20));
  }
}

TEST_F(ExchangeTest, TheSaveAnswerOpensThePendingActionsPageAndClearsItsFlag) {
  const struct {
    const char* name;
    VARIANT_BOOL print, blog, email;
    const char* page;
    const char* flagsAfter;
  } cases[] = {
      {"save with no action edits the clip", F, F, F,
       "/edit_clip.aspx?clipping=true&clip_guid=", "000"},
      {"print", T, F, F, "/print_clips_direct.aspx?&c=", "000"},
      {"blog", F, T, F, "/blog_this.aspx?direct=true&c=", "000"},
      {"email", F, F, T, "/email_folverra.aspx?direct=true&folverra=", "000"},
      {"print goes before blog, which stays pending", T, T, F,
       "/print_clips_direct.aspx?&c=", "0-10"},
  };
  const std::string agent = form().oDocument.parentWindow().userAgent();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t before = browser::ShellWindows().size();
    const auto stored = filesIn(service->store());
    choose(5, c.print, c.blog, c.email);
    browser::WebBrowser opened = awaitNewWindow(before);
    ASSERT_TRUE(opened);
    const auto now = filesIn(service->store());
    ASSERT_EQ(now.size(), stored.size() + 1);
    const fs::path clip = *std::find_if(now.begin(), now.end(), [&](const fs::path& p) {
      return std::find(stored.begin(), stored.end(), p) == stored.end();
    });
    EXPECT_TRUE(waitFor([&] {
      return opened.LocationURL() == service->url() + c.page + clip.stem().string();
    })) << opened.LocationURL();
    EXPECT_EQ(std::pair(opened.Width(), opened.Height()), std::pair(759L, 535L));
    EXPECT_FALSE(opened.AddressBar() || opened.MenuBar() || opened.StatusBar() || opened.ToolBar());
    EXPECT_EQ(flags(), c.flagsAfter);
    EXPECT_EQ(form().LumoraMode(), 0);

    // What the service received: the clip, versioned, with the browser last.
    EXPECT_EQ(std::system(("xmllint --noout " + clip.string()).c_str()), 0);
    pugi::xml_document body;
    ASSERT_TRUE(body.load_file(clip.c_str()));
    const pugi::xml_node root = body.document_element();
    EXPECT_STREQ(root.attribute("version").value(), "3.0.0");
    EXPECT_STREQ(root.last_child().name(), "client");
    EXPECT_EQ(root.last_child().child("userAgent").text().get(), agent);
    EXPECT_STREQ(root.first_child().name(), "frame");
    opened.Quit();
    form().bBlog = 0;
  }
}

TEST_F(ExchangeTest, AFailedSaveOpensNothingLogsItsStatusAndKeepsTheClipUnsent) {
  const struct {
    const char* name;
    bool down;
    standin::SaveAnswer answer;
    const char* moreInfo;
  } cases[] = {
      {"the service is down", true, standin::SaveAnswer::Stored, "no answer"},
      {"the service answers 500", false, standin::SaveAnswer::ServerError, "status 500"},
      {"the answer has no root element", false, standin::SaveAnswer::NoRoot, "status 200"},
  };
  const int port = service->port();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.down) service->stop();
    service->answerSaves(c.answer);
    const std::size_t kept = filesIn(unsent()).size();
    const std::size_t before = browser::ShellWindows().size();
    choose(5, T, F, F);
    ASSERT_TRUE(waitFor([&] { return filesIn(unsent()).size() == kept + 1; }));
    EXPECT_FALSE(awaitNewWindow(before, false)) << "no page opens";
    EXPECT_EQ(flags(), "000") << "the answer used the print flag";
    ++expectedRecords;
    const auto log = testing_support::readLog(dir.log());
    ASSERT_EQ(log.records.size(), expectedRecords);
    EXPECT_EQ(log.records.back().at("routine"), "evtSaveClip_OnEvent()");
    EXPECT_EQ(log.records.back().at("more-info"), c.moreInfo);
    pugi::xml_document keptClip;
    ASSERT_TRUE(keptClip.load_file(filesIn(unsent()).back().c_str()));
    EXPECT_STREQ(keptClip.document_element().last_child().name(), "client");
    EXPECT_STREQ(keptClip.document_element().first_child().child_value("content"),
                 "<p>clipped</p>");

    // Once the service is back, the next save goes through.
    if (c.down) service->start(port);
    service->answerSaves(standin::SaveAnswer::Stored);
    choose(5, F, F, F);
    browser::WebBrowser opened = awaitNewWindow(before);
    ASSERT_TRUE(opened);
    opened.Quit();
    EXPECT_EQ(filesIn(unsent()).size(), kept + 1);
  }
}

TEST_F(ExchangeTest, ASaveReplacedByANewerOneIsStillCheckedButOnlyTheNewestOpensAPage) {
  const std::size_t before = browser::ShellWindows().size();
  choose(5, F, F, T);
  choose(5, T, F, F);
  browser::WebBrowser opened = awaitNewWindow(before);
  ASSERT_TRUE(opened);
  ASSERT_TRUE(waitFor([&] { return filesIn(service->store()).size() == 2; }));
  testing_support::pumpFor(std::chrono::milliseconds(500));
  EXPECT_EQ(browser::ShellWindows().size(), before + 1);
  EXPECT_TRUE(waitFor([&] {
    return opened.LocationURL().starts_with(service->url() + "/print_clips_direct.aspx");
  })) << opened.LocationURL();
  EXPECT_EQ(flags(), "000");
  EXPECT_TRUE(filesIn(unsent()).empty());
  opened.Quit();
}

}  // namespace
