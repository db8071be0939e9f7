// The toolbar form: the band window the browser shows, with the clip button and the menu of
// the service's pages. It also follows the browser's navigations and talks to the service.
// One instance per browser thread.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "band/Reporter.h"
#include "platform/browser.h"
#include "platform/controls.h"
#include "platform/html.h"
#include "platform/http.h"
#include "platform/ui.h"
#include "platform/xml.h"
#include "runtime/controls.h"
#include "runtime/error.h"
#include "runtime/form.h"
#include "toolbar/EventProxy.h"

class frmToolband : public ui::Form {
 public:
  frmToolband();
  ~frmToolband() override;

  ui::PictureBox pcbToolbar{*this};
  ui::Image imgBackground{*this};
  std::array<ui::Image, 2> imgClipIt{{ui::Image(*this), ui::Image(*this)}};
  ui::Image imgArrow{*this};
  ui::ImageList ilsMenu;
  ui::Timer tmrLoad{*this};

  // The browser whose events the form follows while it is loaded.
  browser::WebBrowser g_IEWindow;
  // The top-level page while it is an HTML document.
  html::Document oDocument;
  std::shared_ptr<EventProxy> evtSettings;
  http::Request oSettingsRequest;
  std::shared_ptr<EventProxy> evtSaveClip;
  http::Request oSaveRequest;
  // The action chosen in the done-clipping dialog, kept until the save's answer opens its page.
  VARIANT_BOOL bPrint = 0;
  VARIANT_BOOL bBlog = 0;
  VARIANT_BOOL bEmail = 0;
  // Clipping mode as last assigned: 1 is on (the page proxies test for 1), 0 off.
  std::int16_t bLumoraMode = 0;

  std::int16_t LumoraMode();
  // Any value but 0 starts clipping, 0 ends it; the value is stored once the path has run.
  void setLumoraMode(std::int16_t value);
  void imgClipIt_Click(int index);
  // The done-clipping dialog's actions: posts the clip, or offers the over-limit dialog.
  void TagIt(VARIANT_BOOL bPrintClicked, VARIANT_BOOL bBlogClicked, VARIANT_BOOL bEmailClicked);
  // Sends the clip document to the service and ends clipping. Unguarded: the caller reports.
  void PostClip();

  html::Document Document();
  void LayoutToolbar();
  void imgArrow_MouseUp(int button, int shift, long x, long y);
  void BringBrowserToTop();

 protected:
  std::string formName() const override { return "frmToolband"; }
  void Form_Initialize() override;
  void Form_Load() override;
  void Form_Resize() override;
  void Form_Unload(int& cancel) override;

 private:
  // The browser's events, a member of its own so the form's names stay its own.
  struct BrowserEvents : browser::Events {
    explicit BrowserEvents(frmToolband& form) : form(form) {}
    void BeforeNavigate2(const browser::WebBrowser& pDisp, const std::string& url, long flags,
                         const std::string& targetFrameName, const std::string& postData,
                         const std::string& headers, bool& cancel) override;
    void NavigateComplete2(const browser::WebBrowser& pDisp, const std::string& url) override;
    void DocumentComplete(const browser::WebBrowser& pDisp, const std::string& url) override;
    void OnToolBar(bool toolBar) override;
    frmToolband& form;
  };

  void g_IEWindow_BeforeNavigate2(bool& cancel);
  void g_IEWindow_DocumentComplete(const std::string& url);
  void g_IEWindow_NavigateComplete2(const browser::WebBrowser& pDisp, const std::string& url);
  void g_IEWindow_OnToolBar(bool toolBar);
  void tmrLoad_Timer();
  void evtSettings_OnEvent();
  // A save under way: its clip stays here until its own answer has arrived.
  struct PendingSave {
    http::Request request;
    std::shared_ptr<EventProxy> proxy;
    std::string clip;
    std::uint64_t serial = 0;
  };
  void evtSaveClip_OnEvent(std::uint64_t serial);
  std::string takeActionPage();
  void KeepUnsent(const std::string& clip);
  void RequestSupportedVideo();
  // Holding another browser, or none, moves the event connection with it.
  void holdIEWindow(const browser::WebBrowser& window);
  void StartClipping();
  void EndClipping();
  void showClipButton(int index);
  std::string pageShown() const;

  const Reporter reporter_{kProjectName, "frmToolband", Reporter::TraceName::Object,
                           Reporter::contextOf<&frmToolband::pageShown>(this)};
  BrowserEvents browserEvents_{*this};
  platform::Connection browserConnection_;
  std::list<PendingSave> pendingSaves_;
  std::uint64_t saveSerial_ = 0;
};

// The supported-video list of this thread: children of its root carry a domain attribute.
// Nothing until the service's answer has arrived; empty when that was no XML.
xml::Document& g_oSupportedVideo();
