#include "toolbar/frmToolband.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "band/Configuration.h"
#include "band/Reporter.h"
#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "dialogs/frmClipSelection.h"
#include "dialogs/frmContextMenu.h"
#include "dialogs/frmDoneClipping.h"
#include "dialogs/frmMouseOver.h"
#include "dialogs/frmOverLimit.h"
#include "dialogs/frmOverLimitBlog.h"
#include "page/SharedReferences.h"
#include "page/WindowProxy.h"
#include "page/mdlWindowProxy.h"
#include "platform/system.h"
#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/guard.h"

namespace {

constexpr long kBandHeight = 25;
constexpr long kButtonLeft = 2;

// A page of the service the arrow's menu opens.
struct ServicePage {
  std::string caption;
  std::string key;
  long icon;
  std::string address;
};

std::vector<ServicePage> servicePages() {
  const ServiceHosts hosts = Service();
  return {
      {"My Murmuro", "MyLibrary", 0, ServiceAddress(hosts.web, "/login.aspx?url=/my.murmuro/")},
      {"Popular Murmuro", "Popular", 1, ServiceAddress(hosts.feed, "/popular/")},
      {"My Clippers", "MyClippers", 2,
       ServiceAddress(hosts.web, "/login.aspx?url=/my.murmuro/clippers/")},
      {hosts.domainCaption, "Home", 3, ServiceAddress(hosts.web, "/")},
      {"Facebook App", "Facebook", 4, ServiceAddress(hosts.facebookApp, "/folverra/")},
      {"Help", "Help", 5, ServiceAddress(hosts.web, "/faq/")},
  };
}

// The page a save's answer opens, by the pending action in this order; the identifier follows.
constexpr const char* kEditPage = "/edit_clip.aspx?clipping=true&clip_guid=";
constexpr std::pair<VARIANT_BOOL frmToolband::*, const char*> kActionPages[] = {
    {&frmToolband::bPrint, "/print_clips_direct.aspx?&c="},
    {&frmToolband::bBlog, "/blog_this.aspx?direct=true&c="},
    {&frmToolband::bEmail, "/email_folverra.aspx?direct=true&folverra="},
};

// The done-clipping dialog has been unloaded by now, and loading it again only to own this one
// would set its open flag again and freeze the page's highlighting: the clip bar owns it.
void ShowOverLimit(bool blog) {
  ui::Form* owner = ui::Instance<frmClipBar>::exists() ? &ui::Instance<frmClipBar>::get() : nullptr;
  if (blog)
    ui::Instance<frmOverLimitBlog>::get().Show(ui::vbModal, owner);
  else
    ui::Instance<frmOverLimit>::get().Show(ui::vbModal, owner);
}

constexpr const char* kMenuIcons[] = {"menu_library", "menu_popular",  "menu_clippers",
                                      "menu_home",    "menu_facebook", "menu_help"};

}  // namespace

xml::Document& g_oSupportedVideo() {
  thread_local xml::Document document;
  return document;
}

// The controls' pictures and the menu's icons are the form's design: they are there before
// anything runs.
frmToolband::frmToolband() {
  imgBackground.Container = &pcbToolbar;
  imgBackground.Stretch = true;
  imgBackground.setPicture(ui::LoadArt("toolbar_background"));
  for (ui::Image& image : imgClipIt) image.Container = &pcbToolbar;
  imgClipIt[0].setPicture(ui::LoadArt("clip_button"));
  imgClipIt[1].setPicture(ui::LoadArt("clip_button_active"));
  imgArrow.Container = &pcbToolbar;
  imgArrow.setPicture(ui::LoadArt("menu_arrow"));
  for (int index : {0, 1}) imgClipIt[index].Click = [this, index] { imgClipIt_Click(index); };
  imgArrow.MouseUp = [this](int button, int shift, long x, long y) {
    imgArrow_MouseUp(button, shift, x, y);
  };
  for (const char* icon : kMenuIcons) ilsMenu.Add(ui::LoadArt(icon));
  pcbToolbar.ToolTipText = "Test Tool Tip";
  tmrLoad.OnTimer = [this] { tmrLoad_Timer(); };
}

// A request still under way must not call back into a form that has gone.
// A save still under way will never be answered here, so its clip is kept as unsent.
frmToolband::~frmToolband() {
  if (evtSettings) evtSettings->OnEvent = nullptr;
  for (PendingSave& save : pendingSaves_) {
    save.proxy->OnEvent = nullptr;
    KeepUnsent(save.clip);
  }
}

void frmToolband::Form_Initialize() {
  reporter_.guard("Form_Initialize()", [&] {
    pcbToolbar.Left = 0;
    pcbToolbar.Top = 0;
    pcbToolbar.Width = ScaleWidth();
    pcbToolbar.Height = kBandHeight;
    ui::DoEvents();
    imgBackground.Left = 0;
    imgBackground.Top = 0;
    imgBackground.Width = pcbToolbar.ScaleWidth();
    imgBackground.Height = pcbToolbar.ScaleHeight();
    imgClipIt[0].Top = 0;
    imgClipIt[1].Visible = false;
    imgClipIt[1].Top = 0;
    imgArrow.Top = 0;
  });
}

void frmToolband::Form_Load() {
  reporter_.guard("Form_Load()", [&] {
    bPrint = 0;
    ui::InitCommonControls();
    holdIEWindow(ToolbandBrowser());
    RequestSupportedVideo();
    tmrLoad.Interval = 100;
    tmrLoad.setEnabled(true);
  });
}

void frmToolband::Form_Resize() {
  reporter_.guard("Form_Resize()", [&] {
    pcbToolbar.Width = ScaleWidth();
    imgBackground.Width = ScaleWidth();
    LayoutToolbar();
    ui::InvalidateRect(hWnd());
  });
}

void frmToolband::LayoutToolbar() {
  reporter_.guard("LayoutToolbar()", [&] {
    imgClipIt[0].Left = kButtonLeft;
    imgClipIt[1].Left = kButtonLeft;
    imgArrow.Left = imgClipIt[0].Width + kButtonLeft + 1;
  });
}

// By the first tick the band has its final size.
void frmToolband::tmrLoad_Timer() {
  tmrLoad.setEnabled(false);
  Form_Resize();
}

void frmToolband::imgArrow_MouseUp(int, int, long, long) {
  reporter_.guard("imgArrow_MouseUp()", [&] {
    const std::vector<ServicePage> pages = servicePages();
    ui::PopupMenu menu;
    menu.hWndOwner = hWnd();
    menu.Images = &ilsMenu;
    for (const ServicePage& page : pages)
      menu.AddItem(ui::MenuItem{page.caption, "", 0, 0, page.icon, false, true, page.key});
    const long index = menu.ShowPopupMenu(imgArrow.Left * sys::TwipsPerPixelX(),
                                          imgArrow.Height * sys::TwipsPerPixelY());
    if (index == 0) return;
    const std::string& key = menu.ItemKey(index);
    for (const ServicePage& page : pages)
      if (page.key == key) NavigateServiceWindow(page.address);
  });
}

void frmToolband::BringBrowserToTop() {
  reporter_.guard("BringBrowserToTop()", [&] {
    ui::SetForegroundWindow(ToolbandBrowser().hwnd());
    ui::BringWindowToTop(ToolbandHWND());
    ui::SetFocus(ToolbandHWND());
  });
}

void frmToolband::Form_Unload(int& cancel) {
  reporter_.guard("Form_Unload()", [&] {
    ui::Instance<frmMouseOver>::Unload();
    ProxyCleanup();
    oDocument = {};
    holdIEWindow({});
  });
  cancel = 0;
}

std::int16_t frmToolband::LumoraMode() {
  std::int16_t result = 0;
  reporter_.guard("Get LumoraMode()", [&] { result = bLumoraMode; });
  return result;
}

// No comparison with the old value: on again recounts and shows the bar again, off again
// repeats the teardown. A failure part-way keeps the old value.
void frmToolband::setLumoraMode(std::int16_t value) {
  reporter_.guard("Let LumoraMode()", [&] {
    if (value)
      StartClipping();
    else
      EndClipping();
    bLumoraMode = value;
  });
}

void frmToolband::StartClipping() {
  frmClipBar& bar = ui::Instance<frmClipBar>::get();
  bar.Load();
  CalcPopLimit();
  bar.ShowClipBar();
  showClipButton(1);
  CalcPopLimit();
}

// What clipping left behind goes: the floating windows, the marks on the pages, the clip not
// yet sent and the frame under the mouse.
void frmToolband::EndClipping() {
  ClearAllHighlights();
  ui::Instance<frmClipBar>::Unload();
  ui::Instance<frmMouseOver>::Unload();
  ui::Instance<frmClipSelection>::Unload();
  ui::Instance<frmContextMenu>::Unload();
  g_ClipXML() = {};
  g_bContextMenuVisible() = 0;
  for (html::Element* border :
       {&g_BorderLeft(), &g_BorderTop(), &g_BorderRight(), &g_BorderBottom()})
    if (*border) border->style().setDisplay("none");
  g_HighlightElement() = {};
  g_CurrentElement() = {};
  showClipButton(0);
}

// The normal picture (0) or the active one (1).
void frmToolband::showClipButton(int index) {
  imgClipIt[1 - index].Visible = false;
  imgClipIt[index].Visible = true;
  if (isLoaded()) ui::InvalidateRect(hWnd());
}

// The active picture always ends clipping; the normal one starts it only once the page's
// windows are known.
void frmToolband::imgClipIt_Click(int index) {
  reporter_.guard("imgClipIt_Click()", [&] {
    setLumoraMode(GetBrowserPaneWindow() && index == 0 && g_hWndIEServer() ? 1 : 0);
  });
}

html::Document frmToolband::Document() {
  html::Document result;
  reporter_.guard("Get Document()", [&] { result = oDocument; });
  return result;
}

void frmToolband::RequestSupportedVideo() {
  oSettingsRequest = http::Request::Create();
  if (evtSettings) evtSettings->OnEvent = nullptr;
  evtSettings = std::make_shared<EventProxy>();
  evtSettings->OnEvent = [this] { evtSettings_OnEvent(); };
  EventProxy::Attach(oSettingsRequest, evtSettings);
  oSettingsRequest.open("POST", ServiceAddress(Service().content, "/feed_supported_video.aspx"),
                        true);
  oSettingsRequest.send();
}

// Neither the status nor the parse is checked: a failed answer leaves an empty list.
void frmToolband::evtSettings_OnEvent() {
  if (oSettingsRequest.readyState() != 4) return;
  g_oSupportedVideo() = xml::Document::Create();
  g_oSupportedVideo().loadXML(oSettingsRequest.responseText());
}

void frmToolband::TagIt(VARIANT_BOOL bPrintClicked, VARIANT_BOOL bBlogClicked,
                        VARIANT_BOOL bEmailClicked) {
  reporter_.guard("TagIt()", [&] {
    bPrint = bPrintClicked;
    bBlog = bBlogClicked;
    bEmail = bEmailClicked;
    ui::Instance<frmDoneClipping>::Unload();
    if (g_ClippedCharCount() <= kSharingLimit)
      PostClip();
    else
      ShowOverLimit(bBlogClicked != 0);
  });
}

void frmToolband::PostClip() {
  xml::Document& clip = g_ClipXML();
  xml::Node root = clip.documentElement();
  const sys::Version version = sys::ProductVersion();
  root.setAttribute("version", std::to_string(version.major) + "." + std::to_string(version.minor) +
                                   "." + std::to_string(version.revision));
  xml::Node client = clip.createElement("client");
  client.appendChild(clip.createElement("userAgent")).setText(oDocument.parentWindow().userAgent());
  root.appendChild(client);

  const std::uint64_t serial = ++saveSerial_;
  oSaveRequest = http::Request::Create();
  evtSaveClip = std::make_shared<EventProxy>();
  evtSaveClip->OnEvent = [this, serial] { evtSaveClip_OnEvent(serial); };
  EventProxy::Attach(oSaveRequest, evtSaveClip);
  oSaveRequest.open("POST", ServiceAddress(Service().web, "/clip_mozilla_save.aspx"), true);
  std::string body = clip.xml();
  oSaveRequest.send(body);
  // Only a sent clip is held for its answer; one that failed to go stays in clipping.
  pendingSaves_.push_back(PendingSave{oSaveRequest, evtSaveClip, std::move(body), serial});
  setLumoraMode(0);
}

// Every save's answer is checked, so that a clip the service did not take is kept; only the
// newest save opens a page.
void frmToolband::evtSaveClip_OnEvent(std::uint64_t serial) {
  const auto found = std::find_if(pendingSaves_.begin(), pendingSaves_.end(),
                                  [serial](const PendingSave& s) { return s.serial == serial; });
  if (found == pendingSaves_.end() || found->request.readyState() != 4) return;
  const PendingSave save = *found;
  pendingSaves_.erase(found);
  save.proxy->OnEvent = nullptr;
  const bool newest = serial == saveSerial_;
  bool saved = false;
  std::string status = "no answer";
  reporter_.guard(
      "evtSaveClip_OnEvent()",
      [&](std::string_view routine, const platform::Error& error) {
        reporter_.ReportError(routine, error, status);
        if (!saved) KeepUnsent(save.clip);
      },
      [&] {
        const std::string page = newest ? takeActionPage() : std::string();
        const long code = save.request.status();
        status = "status " + std::to_string(code);
        if (code < 200 || code > 299)
          platform::raise(platform::kAutomationError,
                          "The service did not save the clip: " + save.request.statusText());
        xml::Document answer = xml::Document::Create();
        answer.loadXML(save.request.responseText());
        const std::string id = answer.documentElement().text();
        if (id.empty())
          platform::raise(platform::kAutomationError, "The service answered no clip identifier");
        saved = true;
        if (newest)
          LaunchBrowser(ServiceAddress(Service().web, page) + id, VARIANT_FALSE, 759, 535,
                        VARIANT_TRUE);
      });
}

// The page of the pending action, whose flag is cleared; the edit page when none is pending.
std::string frmToolband::takeActionPage() {
  for (const auto& [flag, page] : kActionPages) {
    if (this->*flag) {
      this->*flag = 0;
      return page;
    }
  }
  return kEditPage;
}

// Beside the error log, one file per clip, so that what the service did not take is not lost.
void frmToolband::KeepUnsent(const std::string& clip) {
  reporter_.guard("KeepUnsent()", [&] {
    const std::string log = ErrorLogPath();
    const std::string folder = sys::PathIn(log.substr(0, log.find_last_of("/\\")), "unsent");
    if (!sys::CreateFolder(folder)) platform::raise(platform::kPermissionDenied);
    xml::Document document = xml::Document::Create();
    if (!document.loadXML(clip)) platform::raise(platform::kAutomationError, "Not a clip document");
    document.save(sys::PathIn(folder, "clip-" + sys::FileStamp() + ".xml"));
  });
}

void frmToolband::g_IEWindow_BeforeNavigate2(bool& cancel) {
  reporter_.guard("g_IEWindow_BeforeNavigate2()", [&] {
    ui::Instance<frmClipSelection>::Unload();
    ui::Instance<frmMouseOver>::Unload();
    cancel = false;
  });
}

// Every frame's completion comes here too, so the top-level browser is asked each time.
void frmToolband::g_IEWindow_DocumentComplete(const std::string& url) {
  reporter_.guard("g_IEWindow_DocumentComplete(pDisp, " + url + ")", [&] {
    const browser::DocumentObject document = ToolbandBrowser().Document();
    oDocument = document.typeName() == "HTMLDocument" ? document.html() : html::Document();
  });
}

// Each completed navigation, of the page or of a frame, gets a proxy of its own; the registry
// keeps it from here on.
void frmToolband::g_IEWindow_NavigateComplete2(const browser::WebBrowser& pDisp,
                                               const std::string& url) {
  reporter_.guard("g_IEWindow_NavigateComplete2(pDisp, " + url + ")", [&] {
    if (!g_hWndIEServer()) ui::EnumChildWindows(ToolbandBrowser().hwnd(), &FindIEServerProc, 0);
    WindowProxy::New()->SetWindow(pDisp);
  });
}

// The browser's toolbar being shown or hidden is no concern of the band.
void frmToolband::g_IEWindow_OnToolBar(bool toolBar) {
  reporter_.guard(std::string("g_IEWindow_OnToolBar(") + (toolBar ? "True" : "False") + ")", [] {});
}

void frmToolband::holdIEWindow(const browser::WebBrowser& window) {
  g_IEWindow = window;
  browserConnection_ = window ? window.connect(browserEvents_) : platform::Connection();
}

void frmToolband::BrowserEvents::BeforeNavigate2(const browser::WebBrowser&, const std::string&,
                                                 long, const std::string&, const std::string&,
                                                 const std::string&, bool& cancel) {
  form.g_IEWindow_BeforeNavigate2(cancel);
}

void frmToolband::BrowserEvents::NavigateComplete2(const browser::WebBrowser& pDisp,
                                                   const std::string& url) {
  form.g_IEWindow_NavigateComplete2(pDisp, url);
}

void frmToolband::BrowserEvents::DocumentComplete(const browser::WebBrowser&,
                                                  const std::string& url) {
  form.g_IEWindow_DocumentComplete(url);
}

void frmToolband::BrowserEvents::OnToolBar(bool toolBar) {
  form.g_IEWindow_OnToolBar(toolBar);
}

// Without more to say, the page being shown is the most useful context of a report.
std::string frmToolband::pageShown() const {
  return g_IEWindow ? g_IEWindow.LocationURL() : std::string();
}
