// The clip bar on the real window system: its window placed over stand-ins of the browser's
// pane and page windows, read back through user32 for a few widths and counts, and the two
// dialogs Done Clipping opens. No HTML engine runs here: the page's document and body are
// scripted objects answering the client area the bar reads.
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "../band/band_site.h"
#include "band/Configuration.h"
#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
#include "check.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "dialogs/frmDoneClipping.h"
#include "dialogs/frmOverLimit.h"
#include "dialogs/frmOverLimitBlog.h"
#include "dialogs/frmPleaseClipSomething.h"
#include "page/SharedReferences.h"
#include "scripted.h"
#include "toolbar/frmToolband.h"

namespace smoke {
namespace {

using Scripted = com::Ptr<ScriptedObject>;

// Where a window is from another's top-left corner (or the screen's), and its width and height.
std::vector<long> place(HWND hwnd, HWND from = nullptr) {
  RECT r{}, o{};
  GetWindowRect(hwnd, &r);
  if (from) GetWindowRect(from, &o);
  return {r.left - o.left, r.top - o.top, r.right - r.left, r.bottom - r.top};
}

// A failure of what unless the numbers are the wanted ones; the line gives both.
void expectNumbers(const std::vector<long>& got, const std::vector<long>& wanted,
                   const std::string& what) {
  std::string line = what + " are";
  for (const long n : got) line.append(" ").append(std::to_string(n));
  line.append(", not");
  for (const long n : wanted) line.append(" ").append(std::to_string(n));
  expect(got == wanted, line);
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
  Probe probe;
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
  }
  ~Stage() {
    ui::Instance<frmDoneClipping>::Unload();
    ui::Instance<frmPleaseClipSomething>::Unload();
    ui::Instance<frmOverLimit>::Unload();
    ui::Instance<frmOverLimitBlog>::Unload();
    ui::Instance<frmClipBar>::Unload();
    SetToolbandSite({});
    g_hWndBrowserPane() = nullptr;
    g_hWndIEServer() = nullptr;
    g_ClipXML() = {};
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
  // Runs check inside the modal loop that open starts.
  void inModal(const std::string& what, const std::function<void()>& open,
               const std::function<void()>& check) {
    bool seen = false;
    probe.later([&] { seen = true, check(); });
    open();
    expect(seen, what);
  }
  // Clicks Done Clipping; check runs inside the modal loop of the form the click opens.
  void doneClipping(const std::string& what, const std::function<void()>& check) {
    inModal(
        "Done Clipping " + what, [] { clickDoneClipping(); }, check);
  }
  static void clickDoneClipping() {
    const RECT r = ui::Instance<frmClipBar>::get().imgDoneClipping.formRect();
    const HWND bar = ui::Instance<frmClipBar>::get().hWnd();
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 2, r.top + 2));
    SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, r.top + 2));
  }
};

frmClipBar& bar() {
  return ui::Instance<frmClipBar>::get();
}

long widthOf(const ui::Label& label) {
  return ui::MeasureText(label.font(), label.caption()).cx;
}

// The numbers the headless tests expect of the same widths: the content's start and the
// button's, and each label behind the one before it at its measured width.
void checkLayout(Stage& stage) {
  struct {
    long width, count, x0;
    const char* between;
  } const cases[] = {{816, 0, 5, " to "}, {1000, 1001, 95, " OVER "}, {1003, 40000, 96, " OVER "}};
  for (const auto& c : cases) {
    const std::string what = "a page " + std::to_string(c.width) + " wide with " +
                             std::to_string(c.count) + " characters: ";
    stage.body->answer("clientWidth", win32::Value(c.width));
    stage.clip(c.count);
    CalcPopLimit();
    bar().ShowClipBar();
    const HWND hwnd = bar().hWnd();
    expect(GetParent(hwnd) == stage.pane, what + "the bar is not a child of the pane");
    expect((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0, what + "the bar lacks WS_CHILD");
    expect(IsWindowVisible(hwnd), what + "the bar is hidden");
    expectNumbers(place(hwnd, stage.pane), {0, 0, c.width, 36}, what + "the bar's place and size");
    expect(bar().lblCharCount.caption() == std::to_string(c.count) &&
               bar().lblCharsRemaingingText.caption() == c.between,
           what + "the labels read " + bar().lblCharCount.caption() + " and '" +
               bar().lblCharsRemaingingText.caption() + "'");
    const long count = c.x0 + 230 + 238;
    const long limit =
        count + widthOf(bar().lblCharsRemaining) + widthOf(bar().lblCharsRemaingingText);
    const long help = limit + widthOf(bar().lblPublishingLimit) + 24;
    expectNumbers({bar().imgTagline.Left, bar().imgDoneClipping.Left, bar().lblCharCount.Left,
                   bar().lblCharsRemaining.Left, bar().lblPublishingLimit.Left, bar().lblHelp.Left,
                   bar().lblCancel.Left},
                  {c.x0, c.x0 + 230, count, count, limit, help, help + widthOf(bar().lblHelp) + 10},
                  what + "the lefts of the tagline, button, counts, limit, help and cancel");
  }
}

void checkDialogs(Stage& stage) {
  stage.body->answer("clientWidth", win32::Value(1000L));
  stage.clip(0);
  CalcPopLimit();
  bar().ShowClipBar();
  stage.doneClipping("on an empty clip showed no prompt", [&] {
    const std::vector<long> r = place(ui::Instance<frmPleaseClipSomething>::get().hWnd());
    const std::vector<long> owner = place(bar().hWnd());
    expectNumbers({r[2], r[3], (2 * r[0] + r[2]) / 2, (2 * r[1] + r[3]) / 2},
                  {318, 360, (2 * owner[0] + owner[2]) / 2, (2 * owner[1] + owner[3]) / 2},
                  "the prompt's size and centre (the bar's centre)");
    expect(!IsWindowEnabled(bar().hWnd()), "the bar takes input while the prompt is up");
    expect(!ui::Instance<frmDoneClipping>::exists(), "an empty clip loaded the dialog");
    ui::Instance<frmPleaseClipSomething>::Unload();
  });
  expect(IsWindowEnabled(bar().hWnd()), "the bar stays disabled after the prompt");

  stage.clip(10);
  stage.doneClipping("with a clip showed no dialog", [&] {
    expectNumbers(place(ui::Instance<frmDoneClipping>::get().hWnd(), bar().hWnd()),
                  {95 + 230, 32, 359, 239}, "the done-clipping dialog's place on the bar and size");
    expect(g_bDoneClippingOpen() == VARIANT_TRUE, "the dialog is open but the flag is not set");
    // The module's own pictures give the design's rows.
    const frmDoneClipping& d = ui::Instance<frmDoneClipping>::get();
    expectNumbers({d.imgSave.Top, d.imgEmail.Top, d.imgBlog.Top, d.imgPrint.Top,
                   d.imgDivider[3].Top, d.lblCancel.Top},
                  {15, 65, 115, 165, 205, 212}, "the rows, the last divider and cancel");
    ui::Instance<frmDoneClipping>::Unload();
  });
  expect(g_bDoneClippingOpen() == VARIANT_FALSE, "the flag stays set after the dialog");
}

std::string titleOf(HWND hwnd) {
  wchar_t title[64]{};
  GetWindowTextW(hwnd, title, 64);
  return std::string(title, title + wcslen(title));
}

// Shown modally by the bar, centred on it, with the title and size of its design; Edit Clip
// closes it.
template <class F>
void checkOverLimit(Stage& stage, const std::string& title, long height) {
  F& dialog = ui::Instance<F>::get();
  stage.inModal(
      title + " ran no modal loop", [&] { dialog.Show(ui::vbModal, &bar()); },
      [&] {
        const std::vector<long> r = place(dialog.hWnd());
        const std::vector<long> owner = place(bar().hWnd());
        expectNumbers({r[2], r[3], (2 * r[0] + r[2]) / 2, (2 * r[1] + r[3]) / 2},
                      {322, height, (2 * owner[0] + owner[2]) / 2, (2 * owner[1] + owner[3]) / 2},
                      title + ": the size and centre (the bar's centre)");
        expect(titleOf(dialog.hWnd()) == title, "the title reads " + titleOf(dialog.hWnd()));
        const RECT edit = dialog.cmdCancel.formRect();
        SendMessageW(dialog.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(edit.left + 2, edit.top + 2));
        SendMessageW(dialog.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(edit.left + 2, edit.top + 2));
      });
  expect(!ui::Instance<F>::exists(), title + ": Edit Clip left the dialog loaded");
}

void checkOverLimitDialogs(Stage& stage) {
  stage.body->answer("clientWidth", win32::Value(1000L));
  bar().ShowClipBar();
  checkOverLimit<frmOverLimit>(stage, "Folverra sharing limit", 404);
  checkOverLimit<frmOverLimitBlog>(stage, "Over Clip-to-Blog Limit", 364);
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
  attempt("over-limit dialogs", [&] { checkOverLimitDialogs(stage); });
  attempt("mode switch", [&] { checkModeSwitch(stage); });
}

}  // namespace smoke
