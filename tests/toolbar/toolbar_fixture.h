// A headless browser window with the band sited in it, on the loopback stand-in service, and
// the toolbar form the band loaded.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "band/Configuration.h"
#include "band/Server.h"
#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "headless/browser.h"
#include "page/mdlWindowProxy.h"
#include "runtime/form.h"
#include "standin/standin.h"
#include "support.h"
#include "toolbar/frmToolband.h"

using testing_support::pageUrl;
using testing_support::waitFor;

struct ToolbarFixture : ::testing::Test {
  testing_support::ModuleFolder dir;
  ServiceHosts product = Service();
  std::optional<standin::Server> service;
  std::unique_ptr<headless::BrowserWindow> window;
  // Marks the module keeps per thread, which earlier tests on this thread may have set.
  VARIANT_BOOL siteCommandSeen = std::exchange(g_bSiteCommandSeen(), 0);
  HWND ieServer = std::exchange(g_hWndIEServer(), nullptr);
  HWND pane = std::exchange(g_hWndBrowserPane(), nullptr);
  xml::Document clip = std::exchange(g_ClipXML(), xml::Document());
  std::size_t expectedRecords = 0;  // in the error log when the test ends

  void SetUp() override {
    service.emplace(dir.path() / "store");
    service->start();
    ReplaceServiceHosts(ServiceHostsAt(service->host()));
    ASSERT_EQ(DllRegisterServer(), S_OK);
    window = std::make_unique<headless::BrowserWindow>();
    AddBand();
    // The supported-video answer is in before a test starts.
    ASSERT_TRUE(waitFor([] { return !g_oSupportedVideo().isNothing(); }));
  }
  void TearDown() override {
    EXPECT_EQ(records(), expectedRecords);
    window.reset();
    service.reset();
    ReplaceServiceHosts(product);
    g_bSiteCommandSeen() = siteCommandSeen;
    g_hWndIEServer() = ieServer;
    g_hWndBrowserPane() = pane;
    g_ClipXML() = clip;
  }
  void AddBand() {
    g_oSupportedVideo() = {};
    ASSERT_EQ(window->AddBand(kToolBarProgId), S_OK);
  }
  static frmToolband& form() { return ui::Instance<frmToolband>::get(); }
  static frmClipBar& bar() { return ui::Instance<frmClipBar>::get(); }
  // Lets what is queued run, and the form's timer (the longest there is) come due once more.
  static void pump() {
    testing_support::pumpFor(std::chrono::milliseconds(form().tmrLoad.Interval + 20));
  }
  // Presses a mouse button on a control and lets it go (WM_xBUTTONUP follows WM_xBUTTONDOWN).
  static void click(ui::Form& on, const ui::Control& control, UINT press = WM_LBUTTONDOWN) {
    const HWND hwnd = on.hWnd();  // loaded first: the load places the controls
    const RECT r = control.formRect();
    const LPARAM at = (static_cast<LPARAM>(r.top + 3) << 16) | (r.left + 3);
    ui::SendMessage(hwnd, press, 0, at);
    ui::SendMessage(hwnd, press + 1, 0, at);
  }
  static void clickArrow(UINT press) { click(form(), form().imgArrow, press); }
  // Runs work in whichever loop pumps the thread's queue next: a modal dialog's still to come.
  static void later(std::function<void()> work) {
    static const HWND queue = [] {
      ui::RegisterWindowClass("FolverraTestQueue", [](HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m != WM_APP) return ui::DefWindowProc(h, m, w, l);
        std::unique_ptr<std::function<void()>>(reinterpret_cast<std::function<void()>*>(l))
            ->
            operator()();
        return LRESULT{0};
      });
      return ui::CreateWindowEx(0, "FolverraTestQueue", "", 0, 0, 0, 0, 0, nullptr);
    }();
    ui::PostMessage(queue, WM_APP, 0, reinterpret_cast<LPARAM>(new std::function<void()>(work)));
  }
  // A clip document holding these text clips.
  static void clipText(const std::vector<std::string>& markups) {
    InitClipXML();
    for (const std::string& markup : markups) {
      xml::Node frame = g_ClipXML().createElement("frame");
      frame.setAttribute("type", "IHTMLTxtRange");
      frame.appendChild(g_ClipXML().createElement("content"))
          .appendChild(g_ClipXML().createCDATASection(markup));
      g_ClipXML().documentElement().appendChild(frame);
    }
  }
  // The documents of the page and of its frames.
  std::vector<html::Document> documents() const {
    const html::Document top = window->page().webBrowser().Document().html();
    std::vector<html::Document> all{top};
    for (const html::Window& frame : top.parentWindow().frames()) all.push_back(frame.document());
    return all;
  }
  std::size_t records() const { return testing_support::recordCount(dir.log()); }
};
