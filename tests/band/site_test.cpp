#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "band/ToolBar.h"
#include "band/mdlToolband.h"
#include "band_fixture.h"
#include "platform/ui.h"
#include "runtime/comobject.h"

namespace {

struct SiteTest : BandFixture {};

// A site that lacks what a real band site has: the browser service, or a window.
class PartialSite final : public com::Object<IOleWindow, IServiceProvider> {
 public:
  PartialSite(HWND window, com::Ptr<IUnknown> browser, bool hasWindow)
      : window_(window), browser_(std::move(browser)), hasWindow_(hasWindow) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!hasWindow_ && IsEqualGUID(riid, IID_IOleWindow)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    return com::answer(riid, ppv,
                       {{IID_IServiceProvider, static_cast<IServiceProvider*>(this)},
                        {IID_IOleWindow, static_cast<IOleWindow*>(this)}});
  }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override {
    *phwnd = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    return browser_ ? browser_->QueryInterface(riid, ppv) : E_NOINTERFACE;
  }

 private:
  HWND window_;
  com::Ptr<IUnknown> browser_;
  bool hasWindow_;
};

std::vector<std::string> routines(const testing_support::Log& log) {
  std::vector<std::string> r;
  for (const auto& record : log.records)
    r.push_back(record.at("object") + " " + record.at("routine"));
  return r;
}

// Records what reaches the site window's own procedure.
struct Seen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
thread_local std::vector<Seen> t_seen;
LRESULT CALLBACK recordingProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  t_seen.push_back({msg, wParam, lParam});
  return static_cast<LRESULT>(msg) * 1000 + 7;
}

}  // namespace

TEST_F(SiteTest, SiteWithoutTheBrowserServiceRecordsBothFailuresAndBuildsNoWindow) {
  com::Ptr<IUnknown> site = com::Ptr<IUnknown>::adopt(
      static_cast<IOleWindow*>(new PartialSite(window->bandSiteWindow(), nullptr, true)));
  auto band = createBand();
  EXPECT_EQ(as<IObjectWithSite>(band, IID_IObjectWithSite)->SetSite(site.get()), S_OK);
  EXPECT_EQ(routines(log()), (std::vector<std::string>{"mdlToolband FindIESite()",
                                                       "mdlToolband Set ToolbandSite()"}));
  EXPECT_TRUE(ToolbandBrowser().isNothing());
  EXPECT_EQ(ToolbandHWND(), nullptr);
  as<IObjectWithSite>(band, IID_IObjectWithSite)->SetSite(nullptr);
}

TEST_F(SiteTest, SiteWithoutAWindowLeavesTheBandWindowUnparented) {
  com::Ptr<IUnknown> site = com::Ptr<IUnknown>::adopt(static_cast<IOleWindow*>(
      new PartialSite(window->bandSiteWindow(), window->browserObject(), false)));
  auto band = createBand();
  EXPECT_EQ(as<IObjectWithSite>(band, IID_IObjectWithSite)->SetSite(site.get()), S_OK);
  EXPECT_EQ(routines(log()), (std::vector<std::string>{"mdlToolband GetToolbandSiteWindow()",
                                                       "mdlToolband CreateBandWindow()"}));
  EXPECT_FALSE(ToolbandBrowser().isNothing()) << "the steps before the failure stay done";
  ASSERT_TRUE(ui::IsWindow(ToolbandHWND()));
  EXPECT_EQ(ui::GetParent(ToolbandHWND()), nullptr);
  as<IObjectWithSite>(band, IID_IObjectWithSite)->SetSite(nullptr);
}

TEST(SiteWindowProcedure, OnlyTheFourWatchedMessagesWithCommand1019MarkTheSite) {
  struct Case {
    UINT msg;
    WPARAM wParam;
    bool marks;
  };
  const Case cases[] = {
      {WM_COMMAND, 1019, true},    {WM_ACTIVATE, 1019, true}, {WM_KILLFOCUS, 1019, true},
      {WM_NCACTIVATE, 1019, true}, {WM_COMMAND, 1018, false}, {WM_COMMAND, 0x10003FB, false},
      {WM_USER, 1019, false},      {WM_SIZE, 1019, false},    {WM_TIMER, 1019, false},
  };
  testing_support::ModuleFolder dir;
  ASSERT_EQ(DllRegisterServer(), S_OK);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "msg " << c.msg << " wParam " << c.wParam);
    // The mark is never cleared, so each case runs on a browser thread of its own.
    std::thread([&] {
      headless::BrowserWindow window;
      ASSERT_EQ(window.AddBand(kToolBarProgId), S_OK);
      EXPECT_EQ(g_bSiteCommandSeen(), 0);
      ui::SendMessage(window.bandSiteWindow(), c.msg, c.wParam, 42);
      EXPECT_EQ(g_bSiteCommandSeen(), c.marks ? -1 : 0);
      window.RemoveBand();
    }).join();
  }
}

TEST_F(SiteTest, EveryMessageReachesTheSiteWindowUnchanged) {
  HWND site = window->bandSiteWindow();
  ui::SetWindowLongPtr(site, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordingProc));
  ASSERT_EQ(window->AddBand(kToolBarProgId), S_OK);
  t_seen.clear();
  const Seen sent[] = {{WM_COMMAND, 1019, -5},
                       {WM_ACTIVATE, 1, 77},
                       {WM_USER + 3, 9, 0x7FFF},
                       {WM_NCACTIVATE, 0, -1}};
  for (const auto& s : sent)
    EXPECT_EQ(ui::SendMessage(site, s.msg, s.wParam, s.lParam), s.msg * 1000 + 7);
  ASSERT_EQ(t_seen.size(), std::size(sent));
  for (std::size_t i = 0; i < t_seen.size(); ++i) {
    EXPECT_EQ(t_seen[i].msg, sent[i].msg);
    EXPECT_EQ(t_seen[i].wParam, sent[i].wParam);
    EXPECT_EQ(t_seen[i].lParam, sent[i].lParam);
  }
}

TEST_F(SiteTest, SecondBandWindowOnTheSameSiteNeverChainsToItself) {
  HWND site = window->bandSiteWindow();
  ui::SetWindowLongPtr(site, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordingProc));
  auto first = createBand();
  auto second = createBand();
  auto sitedFirst = as<IObjectWithSite>(first, IID_IObjectWithSite);
  auto sitedSecond = as<IObjectWithSite>(second, IID_IObjectWithSite);
  ASSERT_EQ(sitedFirst->SetSite(window->site().get()), S_OK);
  ASSERT_EQ(sitedFirst->SetSite(window->site().get()), S_OK);  // again, without nothing between
  ASSERT_EQ(sitedSecond->SetSite(window->site().get()), S_OK);
  EXPECT_EQ(ui::GetProp(site, "WinProc"), reinterpret_cast<HANDLE>(&recordingProc));
  t_seen.clear();
  ui::SendMessage(site, WM_COMMAND, 1019, 0);
  EXPECT_EQ(t_seen.size(), 1u) << "the message reached the site's own procedure once";

  sitedSecond->SetSite(nullptr);
  EXPECT_EQ(ui::GetWindowLongPtr(site, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&recordingProc))
      << "the saved procedure is back once the band window is gone";
  EXPECT_EQ(ui::GetProp(site, "WinProc"), nullptr);
  sitedFirst->SetSite(nullptr);
  EXPECT_EQ(records(), 0u);
}
