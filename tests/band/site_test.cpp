#include <gtest/gtest.h>

#include <vector>

#include "band/ToolBar.h"
#include "band/mdlToolband.h"
#include "band_fixture.h"
#include "platform/comobject.h"
#include "platform/ui.h"

namespace {

struct SiteTest : BandFixture {};

// A site that lacks what a real band site has: the browser service, or a window.
class PartialSite final : public com::Object<IOleWindow, IServiceProvider> {
 public:
  PartialSite(HWND window, com::Ptr<IUnknown> browser, bool hasWindow)
      : window_(window), browser_(std::move(browser)), hasWindow_(hasWindow) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (!hasWindow_ && IsEqualGUID(riid, IID_IOleWindow)) return E_NOINTERFACE;
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

// What reaches the site window's own procedure.
struct Seen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Seen&) const = default;
};
thread_local std::vector<Seen> t_seen;
LRESULT CALLBACK recordingProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  t_seen.push_back({msg, wParam, lParam});
  return static_cast<LRESULT>(msg) * 1000 + 7;
}

}  // namespace

TEST_F(SiteTest, ASiteWithoutTheBrowserOrAWindowIsLoggedAndTheStepsBeforeStayDone) {
  const struct {
    const char* name;
    bool browser, window;
    const char* reported;
  } cases[] = {
      {"no browser service", false, true,
       "mdlToolband FindIESite() -2147467262; mdlToolband Set ToolbandSite() 91"},
      {"no window", true, false,
       "mdlToolband GetToolbandSiteWindow() -2147467262; mdlToolband CreateBandWindow() 91"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    com::Ptr<IUnknown> site = com::Ptr<IUnknown>::adopt(static_cast<IOleWindow*>(new PartialSite(
        window->bandSiteWindow(), c.browser ? window->browserObject() : nullptr, c.window)));
    auto band = createBand();
    EXPECT_EQ(siteOf(band)->SetSite(site.get()), S_OK);
    EXPECT_EQ(reported(), c.reported);
    EXPECT_EQ(ToolbandBrowser().isNothing(), !c.browser);
    if (c.browser) {
      ASSERT_TRUE(ui::IsWindow(ToolbandHWND())) << "the band window is built, but unparented";
      EXPECT_EQ(ui::GetParent(ToolbandHWND()), nullptr);
    } else {
      EXPECT_EQ(ToolbandHWND(), nullptr);
    }
    siteOf(band)->SetSite(nullptr);
    std::filesystem::remove(dir.log());
  }
}

TEST_F(SiteTest, OnlyTheFourWatchedMessagesWithCommand1019MarkTheSite) {
  const struct {
    UINT msg;
    WPARAM wParam;
    bool marks;
  } cases[] = {
      {WM_COMMAND, 1019, true},    {WM_ACTIVATE, 1019, true}, {WM_KILLFOCUS, 1019, true},
      {WM_NCACTIVATE, 1019, true}, {WM_COMMAND, 1018, false}, {WM_COMMAND, 0x10003FB, false},
      {WM_USER, 1019, false},      {WM_SIZE, 1019, false},    {WM_TIMER, 1019, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "msg " << c.msg << " wParam " << c.wParam);
    // The mark is never cleared, so each case runs on a browser thread of its own.
    onFreshThread([&] {
      headless::BrowserWindow own;
      ASSERT_EQ(own.AddBand(kToolBarProgId), S_OK);
      EXPECT_EQ(g_bSiteCommandSeen(), 0);
      ui::SendMessage(own.bandSiteWindow(), c.msg, c.wParam, 42);
      EXPECT_EQ(g_bSiteCommandSeen(), c.marks ? -1 : 0);
      own.RemoveBand();
    });
  }
}

TEST_F(SiteTest, TheSiteWindowsOwnProcedureGetsEveryMessageOnceUnchangedAndIsPutBack) {
  HWND site = window->bandSiteWindow();
  ui::SetWindowLongPtr(site, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordingProc));
  auto first = createBand(), second = createBand();
  ASSERT_EQ(siteOf(first)->SetSite(window->site().get()), S_OK);
  ASSERT_EQ(siteOf(first)->SetSite(window->site().get()), S_OK);  // again, without nothing between
  ASSERT_EQ(siteOf(second)->SetSite(window->site().get()), S_OK);
  EXPECT_EQ(ui::GetProp(site, "WinProc"), reinterpret_cast<HANDLE>(&recordingProc));
  t_seen.clear();
  const std::vector<Seen> sent = {{WM_COMMAND, 1019, -5},
                                  {WM_ACTIVATE, 1, 77},
                                  {WM_USER + 3, 9, 0x7FFF},
                                  {WM_NCACTIVATE, 0, -1}};
  for (const auto& s : sent)
    EXPECT_EQ(ui::SendMessage(site, s.msg, s.wParam, s.lParam), s.msg * 1000 + 7);
  EXPECT_TRUE(t_seen == sent) << "each message reached the site's own procedure once, unchanged";

  siteOf(second)->SetSite(nullptr);
  EXPECT_EQ(ui::GetWindowLongPtr(site, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&recordingProc))
      << "the saved procedure is back once the band window is gone";
  EXPECT_EQ(ui::GetProp(site, "WinProc"), nullptr);
  siteOf(first)->SetSite(nullptr);
  EXPECT_EQ(reported(), "");
}
