// The clip bar on the real window system: its window placed over stand-ins of the browser's
// pane and page windows, read back through user32 for a few widths and counts, and the two
// dialogs Done Clipping opens. No HTML engine runs here: the page's document and body are
// scripted objects answering the client area the bar reads.
#include <cstdio>
#include <functional>
#include <string>

#include "../band/band_site.h"
#include "band/Configuration.h"
#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
#include "check.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "dialogs/frmDoneClipping.h"
#include "dialogs/frmPleaseClipSomething.h"
#include "page/SharedReferences.h"
#include "scripted.h"
#include "toolbar/frmToolband.h"

namespace smoke {
namespace {

using Scripted = com::Ptr<ScriptedObject>;

RECT rectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

std::string text(const RECT& r) {
  char line[64];
  std::snprintf(line, sizeof line, "(%ld, %ld) %ld x %ld", r.left, r.top, r.right - r.left,
                r.bottom - r.top);
  return line;
}

// Work posted here runs inside whichever loop pumps the thread's queue: a modal form's too.
LRESULT CALLBACK probeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_APP) return DefWindowProcW(hwnd, msg, wParam, lParam);
  auto* work = reinterpret_cast<std::function<void()>*>(lParam);
  (*work)();
  delete work;
  return 0;
}

// The browser's frame with its pane and the page's window in it, a band sited on a browser
// whose document is scripted, and a clip of count characters.
struct Stage {
  ServiceHosts product = Service();
  HWND frame = CreateWindowExW(0, L"STATIC", L"Folverra clip bar", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               0, 0, 1200, 700, nullptr, nullptr, nullptr, nullptr);
  HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 40, 1100, 600, frame,
                              nullptr, nullptr, nullptr);
  HWND page = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 1100, 600, pane,
                              nullptr, nullptr, nullptr);
  HWND probe = nullptr;
  Scripted body = ScriptedObject::make();
  Scripted document = ScriptedObject::make();

  Stage() {
    // The band's start-up request goes to a loopback port nothing answers on.
    ReplaceServiceHosts(ServiceHostsAt("127.0.0.1:9"));
    body->answer("clientLeft", win32::Value(0L)).answer("clientTop", win32::Value(0L));
    document->typeNamed("DispHTMLDocument").answer("body", body);
    SetToolbandSite(BandSite::Create(
        frame, fakeBrowser(frame, nullptr, E_NOTIMPL, com::Ptr<IDispatch>(document.get()).get())));
    g_hWndBrowserPane() = pane;
    g_hWndIEServer() = page;
    WNDCLASSW wc{};
    wc.lpfnWndProc = probeProc;
    wc.lpszClassName = L"FolverraClipBarProbe";
    RegisterClassW(&wc);
    probe = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                            nullptr);
  }
  ~Stage() {
    ui::Instance<frmDoneClipping>::Unload();
    ui::Instance<frmPleaseClipSomething>::Unload();
    ui::Instance<frmClipBar>::Unload();
    SetToolbandSite({});
    g_hWndBrowserPane() = nullptr;
    g_hWndIEServer() = nullptr;
    g_ClipXML() = {};
    DestroyWindow(probe);
    DestroyWindow(frame);
    ReplaceServiceHosts(product);
  }
  void clip(long characters) {
    g_ClipXML() = {};
    InitClipXML();
    if (characters == 0) return;
    xml::Node frame = g_ClipXML().createElement("frame");
    frame.setAttribute("type", "IHTMLTxtRange");
    frame.appendChild(g_ClipXML().createElement("content"))
        .appendChild(g_ClipXML().createCDATASection(std::string(characters, 'x')));
    g_ClipXML().documentElement().appendChild(frame);
  }
  void post(std::function<void()> work) {
    PostMessageW(probe, WM_APP, 0, reinterpret_cast<LPARAM>(new std::function<void()>(work)));
  }
};

frmClipBar& bar() {
  return ui::Instance<frmClipBar>::get();
}

long widthOf(const ui::Label& label) {
  return ui::MeasureText(label.font(), label.caption()).cx;
}

void clickDoneClipping() {
  const RECT r = bar().imgDoneClipping.formRect();
  const LPARAM at = MAKELPARAM(r.left + 2, r.top + 2);
  SendMessageW(bar().hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(bar().hWnd(), WM_LBUTTONUP, 0, at);
}

// The numbers the headless tests expect of the same widths: the content's start and the
// button's, and each label behind the one before it at its measured width.
void checkLayout(Stage& stage) {
  struct Case {
    long width;
    long count;
    long x0;
    const char* between;
  };
  const Case cases[] = {
      {816, 0, 5, " to "}, {1000, 1001, 95, " OVER "}, {1003, 40000, 96, " OVER "}};
  for (const Case& c : cases) {
    const std::string what = "a page " + std::to_string(c.width) + " wide with " +
                             std::to_string(c.count) + " characters: ";
    stage.body->answer("clientWidth", win32::Value(c.width));
    stage.clip(c.count);
    CalcPopLimit();
    bar().ShowClipBar();
    const HWND hwnd = bar().hWnd();
    const RECT pane = rectOf(stage.pane);
    const RECT placed = rectOf(hwnd);
    expect(GetParent(hwnd) == stage.pane, what + "the bar is not a child of the pane");
    expect((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0, what + "the bar lacks WS_CHILD");
    expect(IsWindowVisible(hwnd), what + "the bar is hidden");
    expect(placed.left == pane.left && placed.top == pane.top &&
               placed.right - placed.left == c.width && placed.bottom - placed.top == 36,
           what + "the bar is at " + text(placed) + " over a pane at " + text(pane));
    expect(bar().lblCharCount.caption() == std::to_string(c.count) &&
               bar().lblCharsRemaingingText.caption() == c.between,
           what + "the labels read " + bar().lblCharCount.caption() + " and '" +
               bar().lblCharsRemaingingText.caption() + "'");
    const long button = c.x0 + 230;
    const long count = button + 238;
    const long limit =
        count + widthOf(bar().lblCharsRemaining) + widthOf(bar().lblCharsRemaingingText);
    const long help = limit + widthOf(bar().lblPublishingLimit) + 24;
    expect(bar().imgTagline.Left == c.x0 && bar().imgDoneClipping.Left == button &&
               bar().lblCharCount.Left == count && bar().lblCharsRemaining.Left == count &&
               bar().lblPublishingLimit.Left == limit && bar().lblHelp.Left == help &&
               bar().lblCancel.Left == help + widthOf(bar().lblHelp) + 10,
           what + "the content is not laid out from " + std::to_string(c.x0));
    std::printf(
        "measured: %ld wide, %ld characters: tagline %ld, count %ld, limit %ld, help %ld, "
        "cancel %ld\n",
        c.width, c.count, bar().imgTagline.Left, bar().lblCharCount.Left,
        bar().lblPublishingLimit.Left, bar().lblHelp.Left, bar().lblCancel.Left);
  }
}

void checkDialogs(Stage& stage) {
  stage.body->answer("clientWidth", win32::Value(1000L));
  stage.clip(0);
  CalcPopLimit();
  bar().ShowClipBar();
  bool prompted = false;
  stage.post([&] {
    prompted = true;
    const HWND prompt = ui::Instance<frmPleaseClipSomething>::get().hWnd();
    const RECT r = rectOf(prompt);
    const RECT owner = rectOf(bar().hWnd());
    expect(r.right - r.left == 318 && r.bottom - r.top == 360,
           "the prompt is " + text(r) + ", not 318 x 360");
    expect((r.left + r.right) / 2 == (owner.left + owner.right) / 2 &&
               (r.top + r.bottom) / 2 == (owner.top + owner.bottom) / 2,
           "the prompt at " + text(r) + " is not centred on the bar at " + text(owner));
    expect(!IsWindowEnabled(bar().hWnd()), "the bar takes input while the prompt is up");
    expect(!ui::Instance<frmDoneClipping>::exists(), "an empty clip loaded the dialog");
    ui::Instance<frmPleaseClipSomething>::Unload();
  });
  clickDoneClipping();
  expect(prompted, "Done Clipping on an empty clip showed no prompt");
  expect(IsWindowEnabled(bar().hWnd()), "the bar stays disabled after the prompt");

  stage.clip(10);
  bool dropped = false;
  stage.post([&] {
    dropped = true;
    const RECT r = rectOf(ui::Instance<frmDoneClipping>::get().hWnd());
    const RECT owner = rectOf(bar().hWnd());
    expect(r.right - r.left == 359 && r.bottom - r.top == 239,
           "the done-clipping dialog is " + text(r) + ", not 359 x 239");
    expect(r.left == owner.left + 95 + 230 && r.top == owner.top + 32,
           "the done-clipping dialog at " + text(r) + " is not under the button of the bar at " +
               text(owner));
    expect(g_bDoneClippingOpen() == VARIANT_TRUE, "the dialog is open but the flag is not set");
    ui::Instance<frmDoneClipping>::Unload();
  });
  clickDoneClipping();
  expect(dropped, "Done Clipping with a clip showed no dialog");
  expect(g_bDoneClippingOpen() == VARIANT_FALSE, "the flag stays set after the dialog");
}

// The clip button switches clipping on and off through the real windows: the bar comes and goes
// with the mode, the clip with the mode's end.
void checkModeSwitch(Stage& stage) {
  frmToolband& toolbar = ui::Instance<frmToolband>::get();
  stage.body->answer("clientWidth", win32::Value(900L));
  stage.clip(3);
  toolbar.imgClipIt_Click(0);
  expect(toolbar.LumoraMode() == 1, "the normal picture's click did not start clipping");
  expect(!toolbar.imgClipIt[0].Visible && toolbar.imgClipIt[1].Visible,
         "the active picture is not shown while clipping");
  const HWND hwnd = bar().hWnd();
  expect(IsWindowVisible(hwnd) && bar().lblCharCount.caption() == "3",
         "clipping on shows no bar counting the clip");
  toolbar.imgClipIt_Click(1);
  expect(toolbar.LumoraMode() == 0 && toolbar.imgClipIt[0].Visible,
         "the active picture's click did not end clipping");
  expect(!IsWindow(hwnd) && !ui::Instance<frmClipBar>::exists(), "the bar outlives clipping");
  expect(g_ClipXML().isNothing(), "the clip outlives clipping");
  g_hWndIEServer() = nullptr;
  toolbar.imgClipIt_Click(0);
  expect(toolbar.LumoraMode() == 0, "clipping started before the page's window was known");
  g_hWndIEServer() = stage.page;
  ui::Instance<frmToolband>::Unload();
}

}  // namespace

void runClipBarChecks() {
  Stage stage;
  attempt("layout", [&] { checkLayout(stage); });
  attempt("dialogs", [&] { checkDialogs(stage); });
  attempt("mode switch", [&] { checkModeSwitch(stage); });
}

}  // namespace smoke
