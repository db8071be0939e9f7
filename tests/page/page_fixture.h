// A test's own module folder and browser window; whatever the test leaves registered is
// cleaned up before the window goes, and the error log must hold what the test expects.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "headless/browser.h"
#include "page/WindowProxy.h"
#include "page/mdlWindowProxy.h"
#include "support.h"

using testing_support::pageUrl;

struct PageFixture : ::testing::Test {
  testing_support::ModuleFolder dir;
  std::unique_ptr<headless::BrowserWindow> window = std::make_unique<headless::BrowserWindow>();
  std::size_t expectedRecords = 0;  // in the error log when the test ends

  void TearDown() override {
    ProxyCleanup();
    window.reset();
    EXPECT_EQ(records(), expectedRecords);
  }
  // What the toolbar does for every completed navigation: a new proxy, attached and let go.
  static void attach(const browser::WebBrowser& browser) { WindowProxy::New()->SetWindow(browser); }
  std::size_t records() const { return testing_support::recordCount(dir.log()); }
  // The object, routine, number and more-info of the last record.
  std::string lastRecord() const {
    const std::vector<testing_support::Record> all = testing_support::readLog(dir.log()).records;
    const testing_support::Record& r = all.at(all.size() - 1);  // throws when there is none
    return r.at("object") + " " + r.at("routine") + " " + r.at("number") + " " + r.at("more-info");
  }
};
