#include <gtest/gtest.h>

#include <barrier>
#include <cstring>
#include <thread>

#include "band/ToolBar.h"
#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
#include "band_fixture.h"
#include "headless/system.h"
#include "platform/ui.h"
#include "runtime/form.h"
#include "toolbar/frmToolband.h"

namespace {

struct ToolBarTest : BandFixture {};

HWND bandWindowOf(const com::Ptr<IUnknown>& band) {
  HWND hwnd = nullptr;
  EXPECT_EQ(band.query<IDeskBand>(IID_IDeskBand)->GetWindow(&hwnd), S_OK);
  return hwnd;
}

}  // namespace

TEST_F(ToolBarTest, LifecycleDrivenAsTheBrowserDrivesIt) {
  auto band = createBand();
  auto deskBand = as<IDeskBand>(band, IID_IDeskBand);
  ASSERT_EQ(as<IObjectWithSite>(band, IID_IObjectWithSite)->SetSite(window->site().get()), S_OK);
  EXPECT_TRUE(ToolbandBrowser().is(browser::WebBrowser::FromUnknown(window->browserObject())));

  HWND hwnd = bandWindowOf(band);
  ASSERT_TRUE(ui::IsWindow(hwnd));
  EXPECT_EQ(hwnd, ToolbandHWND());
  EXPECT_EQ(ui::GetParent(hwnd), window->bandSiteWindow());
  EXPECT_EQ(ui::GetWindowLongPtr(hwnd, GWL_STYLE) & 0x40010100, 0x40010100);
  EXPECT_FALSE(ui::IsWindowVisible(hwnd)) << "hidden until ShowDW";

  struct Step {
    const char* name;
    HRESULT (*call)(IDeskBand&);
    bool visible;
  };
  const Step steps[] = {
      {"ShowDW(TRUE)", [](IDeskBand& b) { return b.ShowDW(TRUE); }, true},
      {"ShowDW(FALSE)", [](IDeskBand& b) { return b.ShowDW(FALSE); }, false},
      {"ShowDW(TRUE) again", [](IDeskBand& b) { return b.ShowDW(TRUE); }, true},
      {"CloseDW", [](IDeskBand& b) { return b.CloseDW(0); }, false},
      {"ShowDW(TRUE) after CloseDW", [](IDeskBand& b) { return b.ShowDW(TRUE); }, true},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    EXPECT_EQ(step.call(*deskBand.get()), S_OK);
    EXPECT_EQ(bool(ui::IsWindowVisible(hwnd)), step.visible);
    EXPECT_EQ(bandWindowOf(band), hwnd) << "the same window throughout";
  }

  ASSERT_EQ(as<IObjectWithSite>(band, IID_IObjectWithSite)->SetSite(nullptr), S_OK);
  EXPECT_FALSE(ui::IsWindow(hwnd));
  EXPECT_TRUE(ToolbandSite().isNothing());
  EXPECT_TRUE(ToolbandBrowser().isNothing());
  EXPECT_EQ(ToolbandHWND(), nullptr);
  EXPECT_FALSE(ui::Instance<frmToolband>::exists());
  EXPECT_EQ(records(), 0u) << "nothing in the lifecycle fails";
}

TEST_F(ToolBarTest, GetBandInfoWritesOnlyWhatTheMaskAsksFor) {
  auto deskBand = as<IDeskBand>(createBand(), IID_IDeskBand);
  const POINTL band{36, 25};
  struct Case {
    DWORD mask;
    bool min, max, integral, actual, mode;
  };
  const Case cases[] = {
      {0, false, false, false, false, false},
      {DBIM_MINSIZE, true, false, false, false, false},
      {DBIM_MAXSIZE, false, true, false, false, false},
      {DBIM_INTEGRAL, false, false, true, false, false},
      {DBIM_ACTUAL, false, false, false, true, false},
      {DBIM_MODEFLAGS, false, false, false, false, true},
      {DBIM_TITLE | DBIM_BKCOLOR, false, false, false, false, false},
      {0x7F, true, true, true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mask);
    DESKBANDINFO info;
    std::memset(&info, 0xAB, sizeof info);
    DESKBANDINFO untouched = info;
    info.dwMask = untouched.dwMask = c.mask;
    ASSERT_EQ(deskBand->GetBandInfo(7, 3, &info), S_OK);
    const auto same = [](POINTL a, POINTL b) { return a.x == b.x && a.y == b.y; };
    EXPECT_TRUE(same(info.ptMinSize, c.min ? band : untouched.ptMinSize));
    EXPECT_TRUE(same(info.ptMaxSize, c.max ? band : untouched.ptMaxSize));
    EXPECT_TRUE(same(info.ptIntegral, c.integral ? band : untouched.ptIntegral));
    EXPECT_TRUE(same(info.ptActual, c.actual ? band : untouched.ptActual));
    EXPECT_EQ(info.dwModeFlags, c.mode ? DBIMF_NORMAL : untouched.dwModeFlags);
    EXPECT_EQ(info.dwMask, c.mask);
    EXPECT_EQ(std::memcmp(info.wszTitle, untouched.wszTitle, sizeof info.wszTitle), 0);
    EXPECT_EQ(info.crBkgnd, untouched.crBkgnd);
  }
}

TEST_F(ToolBarTest, RefusedMethodsReturnNotImplementedAndLogNothing) {
  auto band = createBand();
  RECT border{};
  ULARGE_INTEGER size{};
  struct Case {
    const char* name;
    HRESULT result;
  };
  const Case cases[] = {
      {"IPersistStream::IsDirty", as<IPersistStream>(band, IID_IPersistStream)->IsDirty()},
      {"IPersistStream::GetSizeMax",
       as<IPersistStream>(band, IID_IPersistStream)->GetSizeMax(&size)},
      {"IDeskBand::ResizeBorderDW",
       as<IDeskBand>(band, IID_IDeskBand)->ResizeBorderDW(&border, nullptr, FALSE)},
      {"IDockingWindow::ResizeBorderDW",
       as<IDockingWindow>(band, IID_IDockingWindow)->ResizeBorderDW(&border, nullptr, FALSE)},
      {"IOleWindow::ContextSensitiveHelp",
       as<IOleWindow>(band, IID_IOleWindow)->ContextSensitiveHelp(TRUE)},
      {"IDockingWindow::ContextSensitiveHelp",
       as<IDockingWindow>(band, IID_IDockingWindow)->ContextSensitiveHelp(TRUE)},
      {"IDeskBand::ContextSensitiveHelp",
       as<IDeskBand>(band, IID_IDeskBand)->ContextSensitiveHelp(TRUE)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, E_NOTIMPL) << c.name;
  EXPECT_EQ(records(), 0u);
}

TEST_F(ToolBarTest, AcceptingMethodsReturnOkWithoutTouchingTheirArguments) {
  auto band = createBand();
  DWORD supported = 0x55, enabled = 0x66;
  auto safety = as<IObjectSafety>(band, IID_IObjectSafety);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, 0x55u);
  EXPECT_EQ(enabled, 0x66u);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 3), S_OK);
  auto input = as<IInputObject>(band, IID_IInputObject);
  EXPECT_EQ(input->UIActivateIO(TRUE, nullptr), S_OK);
  EXPECT_EQ(input->HasFocusIO(), S_OK);
  EXPECT_EQ(input->TranslateAcceleratorIO(nullptr), S_OK);
  auto stream = as<IPersistStream>(band, IID_IPersistStream);
  EXPECT_EQ(stream->Load(nullptr), S_OK);
  EXPECT_EQ(stream->Save(nullptr, TRUE), S_OK);
}

TEST_F(ToolBarTest, ClassIdThroughEitherPersistInterface) {
  auto band = createBand();
  CLSID viaPersist{}, viaStream{};
  EXPECT_EQ(as<IPersist>(band, IID_IPersist)->GetClassID(&viaPersist), S_OK);
  EXPECT_EQ(as<IPersistStream>(band, IID_IPersistStream)->GetClassID(&viaStream), S_OK);
  EXPECT_TRUE(viaPersist == CLSID_ToolBar);
  EXPECT_TRUE(viaStream == CLSID_ToolBar);
}

TEST_F(ToolBarTest, GetSiteWithoutSiteIsLoggedAndAnswersNull) {
  auto withSite = as<IObjectWithSite>(createBand(), IID_IObjectWithSite);
  void* site = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, &site), S_OK);
  EXPECT_EQ(site, nullptr);
  const auto l = log();
  ASSERT_EQ(l.records.size(), 1u);
  EXPECT_EQ(l.records[0].at("object"), "Toolbar");
  EXPECT_EQ(l.records[0].at("routine"), "IObjectWithSite_GetSite()");
  EXPECT_EQ(l.records[0].at("number"), "91");

  ASSERT_EQ(withSite->SetSite(window->site().get()), S_OK);
  com::Ptr<IUnknown> answered;
  EXPECT_EQ(withSite->GetSite(IID_IOleWindow, answered.putVoid()), S_OK);
  EXPECT_TRUE(answered.is(window->site()));
  withSite->SetSite(nullptr);
}

TEST_F(ToolBarTest, SetToolbarShowsTheBarOnlyFromWindowsMeAnd2000On) {
  struct Case {
    const char* system;
    DWORD platform, major, minor;
    bool shell5;
  };
  const Case cases[] = {
      {"Windows 95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, false},
      {"Windows 98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, false},
      {"Windows Me", VER_PLATFORM_WIN32_WINDOWS, 4, 90, true},
      {"Windows NT 4", VER_PLATFORM_WIN32_NT, 4, 0, false},
      {"Windows 2000", VER_PLATFORM_WIN32_NT, 5, 0, true},
      {"Windows XP", VER_PLATFORM_WIN32_NT, 5, 1, true},
      {"Windows 10", VER_PLATFORM_WIN32_NT, 10, 0, true},
  };
  auto band = createBand();
  ASSERT_EQ(as<IObjectWithSite>(band, IID_IObjectWithSite)->SetSite(window->site().get()), S_OK);
  auto script = as<I_Toolbar>(band, IID_I_Toolbar);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.system);
    headless::SetOSVersion(c.platform, c.major, c.minor);
    window->browserBarCalls.clear();
    EXPECT_EQ(IsShell5(), c.shell5);
    VARIANT_BOOL result = 1;
    EXPECT_EQ(script->SetToolbar(&result), S_OK);
    EXPECT_EQ(result, c.shell5 ? -1 : 0);
    ASSERT_EQ(window->browserBarCalls.size(), c.shell5 ? 1u : 0u);
    if (c.shell5) {
      EXPECT_EQ(window->browserBarCalls[0].clsid, kToolBarClsidText);
      EXPECT_TRUE(window->browserBarCalls[0].show);
    }
  }
  headless::SetOSVersion(VER_PLATFORM_WIN32_NT, 5, 1);
  as<IObjectWithSite>(band, IID_IObjectWithSite)->SetSite(nullptr);
  EXPECT_EQ(records(), 0u);
}

TEST_F(ToolBarTest, SetToolbarWithoutABrowserIsLoggedAndReturnsFalse) {
  auto script = as<I_Toolbar>(createBand(), IID_I_Toolbar);
  VARIANT_BOOL result = -1;
  EXPECT_EQ(script->SetToolbar(&result), S_OK);
  EXPECT_EQ(result, 0);
  const auto l = log();
  ASSERT_EQ(l.records.size(), 1u);
  EXPECT_EQ(l.records[0].at("routine"), "SetToolbar()");
  EXPECT_EQ(l.records[0].at("number"), "91");
}

TEST_F(ToolBarTest, SetSiteWithoutPriorSiteLeavesEverySlotEmpty) {
  auto withSite = as<IObjectWithSite>(createBand(), IID_IObjectWithSite);
  EXPECT_EQ(withSite->SetSite(nullptr), S_OK);
  EXPECT_TRUE(ToolbandSite().isNothing());
  EXPECT_TRUE(ToolbandBrowser().isNothing());
  EXPECT_EQ(ToolbandHWND(), nullptr);
  EXPECT_EQ(records(), 0u);
}

TEST_F(ToolBarTest, SlotsBelongToTheirBrowserThread) {
  std::barrier bothSited(2);
  HWND bands[2] = {};
  HWND sites[2] = {};
  HWND parents[2] = {};
  const auto browserThread = [&](int i) {
    headless::BrowserWindow own;
    EXPECT_EQ(own.AddBand(kToolBarProgId), S_OK);
    bothSited.arrive_and_wait();
    bands[i] = ToolbandHWND();
    parents[i] = ui::GetParent(bands[i]);
    sites[i] = own.bandSiteWindow();
    bothSited.arrive_and_wait();
    own.RemoveBand();
  };
  std::thread a(browserThread, 0), b(browserThread, 1);
  a.join();
  b.join();
  EXPECT_NE(bands[0], bands[1]);
  EXPECT_EQ(parents[0], sites[0]);
  EXPECT_EQ(parents[1], sites[1]);
  EXPECT_EQ(ToolbandHWND(), nullptr) << "this thread has no band";
}

TEST_F(ToolBarTest, PageScriptReachesSetToolbarByNameOnly) {
  auto band = createBand();
  ASSERT_EQ(as<IObjectWithSite>(band, IID_IObjectWithSite)->SetSite(window->site().get()), S_OK);
  auto script = as<IDispatch>(band, IID_IDispatch);
  struct Case {
    std::u16string name;
    HRESULT hr;
    DISPID id;
  };
  const Case cases[] = {{u"SetToolbar", S_OK, kDispIdSetToolbar},
                        {u"settoolbar", S_OK, kDispIdSetToolbar},
                        {u"SetSite", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN}};
  for (const auto& c : cases) {
    std::u16string name = c.name;
    auto* names = reinterpret_cast<LPOLESTR>(name.data());
    DISPID id = 99;
    EXPECT_EQ(script->GetIDsOfNames(IID_IUnknown, &names, 1, 0, &id), c.hr);
    EXPECT_EQ(id, c.id);
  }
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT result{};
  EXPECT_EQ(script->Invoke(kDispIdSetToolbar, IID_IUnknown, 0, DISPATCH_METHOD, &none, &result,
                           nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  EXPECT_EQ(window->browserBarCalls.size(), 1u);
  EXPECT_EQ(script->Invoke(7, IID_IUnknown, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  as<IObjectWithSite>(band, IID_IObjectWithSite)->SetSite(nullptr);
}
