// A test's own module folder and browser window; whatever the test leaves registered is
// cleaned up before the window goes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "headless/browser.h"
#include "page/WindowProxy.h"
#include "page/mdlWindowProxy.h"
#include "support.h"

using testing_support::pageUrl;

struct PageFixture : ::testing::Test {
  testing_support::ModuleFolder dir;
  std::unique_ptr<headless::BrowserWindow> window = std::make_unique<headless::BrowserWindow>();

  void TearDown() override {
    ProxyCleanup();
    window.reset();
  }
  // What the toolbar does for every completed navigation: a new proxy, attached and let go.
  static void attach(const browser::WebBrowser& browser) { WindowProxy::New()->SetWindow(browser); }
  html::Document document(const headless::Pane& pane) const {
    return pane.webBrowser().Document().html();
  }
  testing_support::Log log() const { return testing_support::readLog(dir.log()); }
  testing_support::Record lastRecord() const {
    const testing_support::Log all = log();
    return all.records.empty() ? testing_support::Record{} : all.records.back();
  }
  std::size_t records() const {
    return std::filesystem::exists(dir.log()) ? log().records.size() : 0;
  }
};
