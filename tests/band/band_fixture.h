// A headless browser window with the band created through the class registry, as the browser
// creates it, and the interfaces the tests drive it through.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "band/Server.h"
#include "band/mdlToolband.h"
#include "headless/browser.h"
#include "support.h"

struct BandFixture : ::testing::Test {
  testing_support::ModuleFolder dir;
  std::unique_ptr<headless::BrowserWindow> window = std::make_unique<headless::BrowserWindow>();
  // Never cleared by the band: a mark left on this thread would keep later pages' proxies.
  const VARIANT_BOOL siteCommandSeen = g_bSiteCommandSeen();

  void SetUp() override { ASSERT_EQ(DllRegisterServer(), S_OK); }
  void TearDown() override {
    window.reset();
    g_bSiteCommandSeen() = siteCommandSeen;
  }

  // A new band object, not yet sited.
  static com::Ptr<IUnknown> createBand() {
    com::Ptr<IUnknown> band;
    EXPECT_EQ(com::CoCreateInstance(com::CLSIDFromProgID(kToolBarProgId), nullptr, IID_IUnknown,
                                    band.putVoid()),
              S_OK);
    return band;
  }
  static com::Ptr<IObjectWithSite> siteOf(const com::Ptr<IUnknown>& band) {
    return band.query<IObjectWithSite>(IID_IObjectWithSite);
  }
  // The log's records as "object routine number", joined by "; ": empty without a log.
  std::string reported() const {
    std::string lines;
    for (const auto& r : testing_support::readLog(dir.log()).records)
      lines += (lines.empty() ? "" : "; ") + r.at("object") + " " + r.at("routine") + " " +
               r.at("number");
    return lines;
  }
};

// Runs body on a thread of its own, so the per-thread slots and windows start empty and go
// with it.
template <class Body>
void onFreshThread(Body&& body) {
  std::thread(std::forward<Body>(body)).join();
}
