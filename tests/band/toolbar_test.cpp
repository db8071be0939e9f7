#include <gtest/gtest.h>

#include <barrier>
#include <cstring>
#include <tuple>
#include <vector>

#include "band/ToolBar.h"
#include "band/mdlToolband.h"
#include "band_fixture.h"
#include "band_site.h"
#include "headless/system.h"
#include "platform/ui.h"
#include "runtime/form.h"
#include "toolbar/frmToolband.h"

namespace {

struct ToolBarTest : BandFixture {};

// What reaches the site window's own procedure: message, wParam, lParam.
using Seen = std::tuple<UINT, WPARAM, LPARAM>;
thread_local std::vector<Seen> t_seen;
LRESULT CALLBACK recordingProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  t_seen.push_back({msg, wParam, lParam});
  return static_cast<LRESULT>(msg) * 1000 + 7;
}

void expectNoSlots() {
  EXPECT_TRUE(ToolbandSite().isNothing());
  EXPECT_TRUE(ToolbandBrowser().isNothing());
  EXPECT_EQ(ToolbandHWND(), nullptr);
}

}  // namespace

TEST_F(ToolBarTest, LifecycleDrivenAsTheBrowserDrivesIt) {
  auto band = createBand();
  auto deskBand = band.query<IDeskBand>(IID_IDeskBand);
  // Before its site: the class it is, from either interface, and nothing from the members that
  // need the site, which log why.
  CLSID classes[2] = {};
  EXPECT_EQ(band.query<IPersist>(IID_IPersist)->GetClassID(&classes[0]), S_OK);
  EXPECT_EQ(band.query<IPersistStream>(IID_IPersistStream)->GetClassID(&classes[1]), S_OK);
  for (const CLSID& clsid : classes) EXPECT_TRUE(clsid == CLSID_ToolBar);
  void* unsited = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(siteOf(band)->GetSite(IID_IUnknown, &unsited), S_OK);
  EXPECT_EQ(unsited, nullptr);
  VARIANT_BOOL shown = -1;
  EXPECT_EQ(band.query<I_Toolbar>(IID_I_Toolbar)->SetToolbar(&shown), S_OK);
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(siteOf(band)->SetSite(nullptr), S_OK) << "no site to lose yet";
  expectNoSlots();
  ASSERT_EQ(siteOf(band)->SetSite(window->site().get()), S_OK);
  EXPECT_TRUE(ToolbandBrowser().is(browser::WebBrowser::FromUnknown(window->browserObject())));
  com::Ptr<IUnknown> answered;
  EXPECT_EQ(siteOf(band)->GetSite(IID_IOleWindow, answered.putVoid()), S_OK);
  EXPECT_TRUE(answered.is(window->site()));

  HWND hwnd = nullptr;
  ASSERT_EQ(deskBand->GetWindow(&hwnd), S_OK);
  ASSERT_TRUE(ui::IsWindow(hwnd));
  EXPECT_EQ(hwnd, ToolbandHWND());
  EXPECT_FALSE(ui::IsWindowVisible(hwnd)) << "hidden until ShowDW";
  // ShowDW(TRUE), ShowDW(FALSE), again, CloseDW (-1), and ShowDW(TRUE) after it.
  for (const auto& [show, visible] : std::initializer_list<std::pair<int, bool>>{
           {1, true}, {0, false}, {1, true}, {-1, false}, {1, true}}) {
    SCOPED_TRACE(show);
    EXPECT_EQ(show < 0 ? deskBand->CloseDW(0) : deskBand->ShowDW(show), S_OK);
    EXPECT_EQ(bool(ui::IsWindowVisible(hwnd)), visible);
    EXPECT_EQ(ToolbandHWND(), hwnd) << "the same window throughout";
  }

  ASSERT_EQ(siteOf(band)->SetSite(nullptr), S_OK);
  EXPECT_FALSE(ui::IsWindow(hwnd));
  expectNoSlots();
  EXPECT_FALSE(ui::Instance<frmToolband>::exists());
  EXPECT_EQ(reported(), "Toolbar IObjectWithSite_GetSite() 91; Toolbar SetToolbar() 91")
      << "only the unsited calls fail";
}

TEST_F(ToolBarTest, GetBandInfoWritesOnlyWhatTheMaskAsksFor) {
  auto deskBand = createBand().query<IDeskBand>(IID_IDeskBand);
  const auto same = [](POINTL a, POINTL b) { return a.x == b.x && a.y == b.y; };
  for (DWORD mask : {DWORD{0}, DBIM_MINSIZE, DBIM_MAXSIZE, DBIM_INTEGRAL, DBIM_ACTUAL,
                     DBIM_MODEFLAGS, DBIM_TITLE | DBIM_BKCOLOR, DWORD{0x7F}}) {
    SCOPED_TRACE(mask);
    DESKBANDINFO info;
    std::memset(&info, 0xAB, sizeof info);
    const DESKBANDINFO untouched = info;
    info.dwMask = mask;
    ASSERT_EQ(deskBand->GetBandInfo(7, 3, &info), S_OK);
    const auto size = [&](DWORD bit, POINTL was) { return mask & bit ? POINTL{36, 25} : was; };
    EXPECT_TRUE(same(info.ptMinSize, size(DBIM_MINSIZE, untouched.ptMinSize)));
    EXPECT_TRUE(same(info.ptMaxSize, size(DBIM_MAXSIZE, untouched.ptMaxSize)));
    EXPECT_TRUE(same(info.ptIntegral, size(DBIM_INTEGRAL, untouched.ptIntegral)));
    EXPECT_TRUE(same(info.ptActual, size(DBIM_ACTUAL, untouched.ptActual)));
    EXPECT_EQ(info.dwModeFlags, mask & DBIM_MODEFLAGS ? DBIMF_NORMAL : untouched.dwModeFlags);
    EXPECT_EQ(info.dwMask, mask);
    EXPECT_EQ(std::memcmp(info.wszTitle, untouched.wszTitle, sizeof info.wszTitle), 0);
    EXPECT_EQ(info.crBkgnd, untouched.crBkgnd);
  }
}

TEST_F(ToolBarTest, PageScriptFindsSetToolbarByNameAndItShowsTheBarOnlyFromWindowsMeAnd2000On) {
  const std::tuple<const char*, DWORD, DWORD, DWORD, bool> cases[] = {
      {"Windows 98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, false},
      {"Windows Me", VER_PLATFORM_WIN32_WINDOWS, 4, 90, true},
      {"Windows NT 4", VER_PLATFORM_WIN32_NT, 4, 0, false},
      {"Windows 2000", VER_PLATFORM_WIN32_NT, 5, 0, true},
      {"Windows 10", VER_PLATFORM_WIN32_NT, 10, 0, true},
  };
  auto band = createBand();
  ASSERT_EQ(siteOf(band)->SetSite(window->site().get()), S_OK);
  auto script = band.query<IDispatch>(IID_IDispatch);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  for (const auto& [system, family, major, minor, shell5] : cases) {
    SCOPED_TRACE(system);
    headless::SetOSVersion(family, major, minor);
    window->browserBarCalls.clear();
    VARIANT result{};
    EXPECT_EQ(script->Invoke(kDispIdSetToolbar, IID_IUnknown, 0, DISPATCH_METHOD, &none, &result,
                             nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, shell5 ? VARIANT_TRUE : VARIANT_FALSE);
    ASSERT_EQ(window->browserBarCalls.size(), shell5 ? 1u : 0u);
    if (!shell5) continue;
    EXPECT_EQ(window->browserBarCalls[0].clsid, kToolBarClsidText);
    EXPECT_TRUE(window->browserBarCalls[0].show);
  }
  headless::SetOSVersion(VER_PLATFORM_WIN32_NT, 5, 1);

  for (const auto& [known, hr, id] : {std::tuple{u"SetToolbar", S_OK, kDispIdSetToolbar},
                                      {u"settoolbar", S_OK, kDispIdSetToolbar},
                                      {u"SetSite", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN}}) {
    std::u16string name = known;
    auto* names = reinterpret_cast<LPOLESTR>(name.data());
    DISPID answered = 99;
    EXPECT_EQ(script->GetIDsOfNames(IID_IUnknown, &names, 1, 0, &answered), hr);
    EXPECT_EQ(answered, id);
  }
  VARIANT result{};
  EXPECT_EQ(script->Invoke(7, IID_IUnknown, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  siteOf(band)->SetSite(nullptr);
  EXPECT_EQ(reported(), "");
}

TEST_F(ToolBarTest, SlotsBelongToTheirBrowserThread) {
  std::barrier bothSited(2);
  HWND bands[2] = {};
  const auto browserThread = [&](int i) {
    headless::BrowserWindow own;
    EXPECT_EQ(own.AddBand(kToolBarProgId), S_OK);
    bothSited.arrive_and_wait();
    bands[i] = ToolbandHWND();
    EXPECT_EQ(ui::GetParent(bands[i]), own.bandSiteWindow()) << "its own site's";
    bothSited.arrive_and_wait();
    own.RemoveBand();
  };
  std::thread a(browserThread, 0), b(browserThread, 1);
  a.join();
  b.join();
  EXPECT_NE(bands[0], bands[1]);
  EXPECT_EQ(ToolbandHWND(), nullptr) << "this thread has no band";
}

TEST_F(ToolBarTest, TheServerStaysLoadedWhileABandLivesOrALockHolds) {
  SetToolband(nullptr);  // a band an earlier test left on this thread would hold the server
  ASSERT_EQ(DllCanUnloadNow(), S_OK);
  onFreshThread([] {
    auto band = createBand();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "a live band";
    band = nullptr;
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "its thread's slot still holds it";
  });
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "released with its thread";
  const auto lockServer = [](BOOL lock) {
    com::Ptr<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(CLSID_ToolBar, IID_IClassFactory, factory.putVoid()), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "a live class object";
    EXPECT_EQ(factory->LockServer(lock), S_OK);
  };
  lockServer(TRUE);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "locked past the class object's release";
  lockServer(FALSE);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ToolBarTest, ASiteWithoutTheBrowserOrAWindowIsLoggedAndTheStepsBeforeStayDone) {
  const std::tuple<const char*, bool, bool, const char*> cases[] = {
      {"no browser service", false, true,
       "mdlToolband FindIESite() -2147467262; mdlToolband Set ToolbandSite() 91"},
      {"no window", true, false,
       "mdlToolband GetToolbandSiteWindow() -2147467262; mdlToolband CreateBandWindow() 91"},
  };
  for (const auto& [name, hasBrowser, hasWindow, expected] : cases) {
    SCOPED_TRACE(name);
    const auto site = BandSite::Create(hasWindow ? window->bandSiteWindow() : nullptr,
                                       hasBrowser ? window->browserObject() : nullptr);
    auto band = createBand();
    EXPECT_EQ(siteOf(band)->SetSite(site.get()), S_OK);
    EXPECT_EQ(reported(), expected);
    EXPECT_EQ(ToolbandBrowser().isNothing(), !hasBrowser);
    EXPECT_EQ(bool(ui::IsWindow(ToolbandHWND())), hasBrowser) << "built once the browser is found";
    EXPECT_EQ(ui::GetParent(ToolbandHWND()), nullptr) << "but left unparented";
    siteOf(band)->SetSite(nullptr);
    std::filesystem::remove(dir.log());
  }
}

TEST_F(ToolBarTest, OnlyTheFourWatchedMessagesWithCommand1019MarkTheSite) {
  const std::tuple<UINT, WPARAM, bool> cases[] = {
      {WM_COMMAND, 1019, true},    {WM_ACTIVATE, 1019, true}, {WM_KILLFOCUS, 1019, true},
      {WM_NCACTIVATE, 1019, true}, {WM_COMMAND, 1018, false}, {WM_COMMAND, 0x10003FB, false},
      {WM_USER, 1019, false},      {WM_SIZE, 1019, false},    {WM_TIMER, 1019, false},
  };
  for (const auto& [msg, wParam, marks] : cases) {
    SCOPED_TRACE(testing::Message() << "msg " << msg << " wParam " << wParam);
    // The mark is never cleared, so each case runs on a browser thread of its own.
    onFreshThread([&] {
      headless::BrowserWindow own;
      ASSERT_EQ(own.AddBand(kToolBarProgId), S_OK);
      EXPECT_EQ(g_bSiteCommandSeen(), 0);
      ui::SendMessage(own.bandSiteWindow(), msg, wParam, 42);
      EXPECT_EQ(g_bSiteCommandSeen(), marks ? -1 : 0);
      own.RemoveBand();
    });
  }
}

TEST_F(ToolBarTest, TheSiteWindowsOwnProcedureGetsEveryMessageOnceUnchangedAndIsPutBack) {
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
  for (const auto& [msg, wParam, lParam] : sent)
    EXPECT_EQ(ui::SendMessage(site, msg, wParam, lParam), msg * 1000 + 7);
  EXPECT_EQ(t_seen, sent) << "each message reached the site's own procedure once, unchanged";

  siteOf(second)->SetSite(nullptr);
  EXPECT_EQ(ui::GetWindowLongPtr(site, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&recordingProc))
      << "the saved procedure is back once the band window is gone";
  EXPECT_EQ(ui::GetProp(site, "WinProc"), nullptr);
  siteOf(first)->SetSite(nullptr);
  EXPECT_EQ(reported(), "");
}
