// The clip bar on the real window system: its window placed over stand-ins of the browser's
// pane and page windows, read back through user32 for a few widths and counts, and the two
// dialogs Done Clipping opens. No HTML engine runs here: the page's document and body are
// scripted objects answering the client area the bar reads.
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "loopback.h"
#include "stage.h"
#include "toolbar/frmToolband.h"
#include "win32/wide.h"

namespace smoke {
namespace {

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

// The dialog's child window at place (left, top, width, height) in its client area, or null.
HWND childAt(HWND dialog, const std::vector<long>& place) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    if (std::vector<long>{r.left, r.top, r.right - r.left, r.bottom - r.top} == place) return c;
  }
  return nullptr;
}

std::string classesBelow(HWND hwnd) {
  std::string names;
  EnumChildWindows(
      hwnd,
      [](HWND child, LPARAM to) {
        wchar_t name[64]{};
        GetClassNameW(child, name, 64);
        auto& text = *reinterpret_cast<std::string*>(to);
        text.append(text.empty() ? "" : " > ").append(win32::narrow(name));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&names));
  return names.empty() ? "no window" : names;
}

// The events of the control's navigations, in order; NavigateError with its status in hex.
struct PageEvents : browser::Events {
  std::string seen;
  void BeforeNavigate2(const browser::WebBrowser&, const std::string&, long, const std::string&,
                       const std::string&, const std::string&, bool&) override {
    seen += "BeforeNavigate2 ";
  }
  void NavigateComplete2(const browser::WebBrowser&, const std::string&) override {
    seen += "NavigateComplete2 ";
  }
  void DocumentComplete(const browser::WebBrowser&, const std::string&) override {
    seen += "DocumentComplete ";
  }
  void NavigateError(const browser::WebBrowser&, const std::string&, const std::string&,
                     long status, bool&) override {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(status));
    seen += "NavigateError " + std::string(hex) + " ";
  }
  // Waits until a navigation has ended one way or the other; answers its events.
  std::string ended() {
    pumpUntil(
        [&] {
          return seen.find("DocumentComplete") != seen.npos || seen.find("Error") != seen.npos;
        },
        std::chrono::seconds(3));
    return std::exchange(seen, {});
  }
  std::string after(browser::WebBrowser& page, const std::string& url) {
    page.Navigate2(url);
    return ended();
  }
};

template <class Read>
std::string answer(Read&& read) {
  try {
    return read();
  } catch (const platform::Error& e) {
    return "raised " + std::to_string(e.number);
  }
}

// 200 with a small page titled "Over", once.
struct PageServer : LoopbackServer {
  PageServer()
      : LoopbackServer(httpReply("200 OK", "<html><title>Over</title><p>1000</p></html>")) {}
  std::string address() const { return "127.0.0.1:" + std::to_string(port); }
};

// The control in the page's place asked the content host for the page and took its address;
// what else it shows, and the events of a served page and of a closed port, are measured.
void checkPage(const std::string& title, HWND host, browser::WebBrowser page, PageServer& content,
               const std::string& path) {
  const HWND embedding = FindWindowExW(host, nullptr, L"Shell Embedding", nullptr);
  expect(embedding && place(embedding, host) == place(host, host),
         title + ": the control does not fill its place: " + classesBelow(host));
  PageEvents events;
  const platform::Connection connection = page.connect(events);
  const std::string own = events.ended();
  const std::string url = "http://" + content.address() + path;
  const auto location = [&] { return answer([&] { return page.LocationURL(); }); };
  expect(pumpUntil([&] { return location() == url; }, std::chrono::seconds(2)),
         title + ": LocationURL reads " + location());
  const std::string asked = content.request().substr(0, content.request().find('\r'));
  expect(asked == "GET " + path + " HTTP/1.1", title + ": the content host was asked " + asked);
  const std::string shown = classesBelow(host) + "; Document " +
                            answer([&] { return page.Document().typeName(); }) +
                            ", LocationName '" + answer([&] { return page.LocationName(); }) + "'";
  const std::string refused = events.after(page, "http://127.0.0.1:9/closed.htm");
  expect(refused.starts_with("BeforeNavigate2 NavigateError "),
         title + ": a closed port gave " + refused);
  std::printf("measured: %s: %s; its page then: %s; a closed port: %s\n", title.c_str(),
              shown.c_str(), own.c_str(), refused.c_str());
}

// Shown modally by the bar, centred on it, with the title and size of its design and its page in
// a child window at the page's place; Edit Clip closes it, and the page with it.
template <class F>
void checkOverLimit(Stage& stage, const std::string& title, long height, long pageHeight,
                    const std::string& path) {
  PageServer content;
  ReplaceServiceHosts(ServiceHostsAt(content.address()));
  F& dialog = ui::Instance<F>::get();
  HWND host = nullptr;
  stage.inModal(
      title + " ran no modal loop", [&] { dialog.Show(ui::vbModal, &bar()); },
      [&] {
        const std::vector<long> r = place(dialog.hWnd());
        const std::vector<long> owner = place(bar().hWnd());
        expectNumbers({r[2], r[3], (2 * r[0] + r[2]) / 2, (2 * r[1] + r[3]) / 2},
                      {322, height, (2 * owner[0] + owner[2]) / 2, (2 * owner[1] + owner[3]) / 2},
                      title + ": the size and centre (the bar's centre)");
        expect(titleOf(dialog.hWnd()) == title, "the title reads " + titleOf(dialog.hWnd()));
        host = childAt(dialog.hWnd(), {8, 8, 300, pageHeight});
        const bool shown = host && IsWindowVisible(host) && dialog.wbOverLimit.window();
        if (expect(shown, title + ": no browser control shown at (8, 8), 300 x " +
                              std::to_string(pageHeight) + " in the client area"))
          checkPage(title, host, dialog.wbOverLimit.window(), content, path);
        click(dialog.hWnd(), dialog.cmdCancel.formRect());
      });
  expect(!ui::Instance<F>::exists(), title + ": Edit Clip left the dialog loaded");
  expect(!IsWindow(host), title + ": the page outlives the dialog");
  ReplaceServiceHosts(ServiceHostsAt("127.0.0.1:9"));
}

void checkOverLimitDialogs(Stage& stage) {
  const Winsock winsock;
  stage.body->answer("clientWidth", win32::Value(1000L));
  bar().ShowClipBar();
  checkOverLimit<frmOverLimit>(stage, "Folverra sharing limit", 404, 331, "/overlimit_image.htm");
  checkOverLimit<frmOverLimitBlog>(stage, "Over Clip-to-Blog Limit", 364, 291,
                                   "/overlimit_image_blog.htm");
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
