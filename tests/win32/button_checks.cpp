// The hover and selection buttons on the real window system: children of a stand-in of the
// browser's pane, read back through user32, and the message box of a video that cannot be
// clipped. The object under the button is a scripted element; no HTML engine runs here.
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "band/Reporter.h"
#include "band/mdlCommon.h"
#include "check.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipSelection.h"
#include "dialogs/frmMouseOver.h"
#include "scripted.h"

namespace smoke {
namespace {

using Scripted = com::Ptr<ScriptedObject>;

struct Stage {
  HWND frame = CreateWindowExW(0, L"STATIC", L"Folverra buttons", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               0, 0, 900, 700, nullptr, nullptr, nullptr, nullptr);
  HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 40, 880, 600, frame,
                              nullptr, nullptr, nullptr);
  Probe probe;

  Stage() { g_hWndBrowserPane() = pane; }
  ~Stage() {
    ui::Instance<frmMouseOver>::Unload();
    ui::Instance<frmClipSelection>::Unload();
    g_hWndBrowserPane() = nullptr;
    g_ClipXML() = {};
    DestroyWindow(frame);
  }
};

std::vector<long> place(HWND hwnd, HWND from) {
  RECT r{}, o{};
  GetWindowRect(hwnd, &r);
  GetWindowRect(from, &o);
  return {r.left - o.left, r.top - o.top, r.right - r.left, r.bottom - r.top};
}

std::string numbers(const std::vector<long>& values) {
  std::string line;
  for (const long n : values) line.append(" ").append(std::to_string(n));
  return line;
}

// A real child of the pane, no popup, whose client area is the whole window.
void expectPaneChild(const Stage& stage, HWND hwnd, const std::vector<long>& wanted,
                     const std::string& what) {
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  expect(GetParent(hwnd) == stage.pane, what + " is not a child of the pane");
  expect((style & WS_CHILD) && !(style & WS_POPUP), what + " is not a plain child window");
  expect(place(hwnd, stage.pane) == wanted,
         what + " lies at" + numbers(place(hwnd, stage.pane)) + ", not" + numbers(wanted));
  RECT client{};
  GetClientRect(hwnd, &client);
  expect(client.right == wanted[2] && client.bottom == wanted[3],
         what + "'s client area is " + std::to_string(client.right) + " x " +
             std::to_string(client.bottom));
}

// An object 40 pixels wide at (300, 200) of a page on host, whose embed_code field says
// embedding is disabled; nothing on the page is framed.
Scripted objectOn(const std::string& host) {
  Scripted location = ScriptedObject::make();
  for (const char* part : {"href", "protocol", "host", "pathname", "search"})
    location->answer(part, win32::Value(""));
  location->answer("hostname", win32::Value(host));
  Scripted code = ScriptedObject::make();
  code->answer("value", win32::Value("Embedding disabled"));
  Scripted codes = ScriptedObject::make();
  codes->answer("length", win32::Value(1L)).answer("item", code);
  Scripted page = ScriptedObject::make();
  page->answer("location", location).answer("getElementsByName", codes);
  page->answer("getElementById", typed(VT_NULL));
  Scripted rect = ScriptedObject::make();
  rect->answer("left", win32::Value(300L)).answer("top", win32::Value(200L));
  rect->answer("right", win32::Value(340L)).answer("bottom", win32::Value(260L));
  Scripted object = ScriptedObject::make();
  object->answer("getBoundingClientRect", rect).answer("ownerDocument", page);
  return object;
}

// What the box's static controls say, in their order.
std::vector<std::string> textsOf(HWND box) {
  std::vector<std::string> texts;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM out) {
        wchar_t name[16]{}, text[256]{};
        GetClassNameW(child, name, 16);
        const int n = GetWindowTextW(child, text, 256);
        if (_wcsicmp(name, L"Static") == 0 && n > 0)
          reinterpret_cast<std::vector<std::string>*>(out)->push_back(
              win32::narrow(text, static_cast<std::size_t>(n)));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

void release(ui::Form& form, const ui::Control& control) {
  const RECT r = control.formRect();
  SendMessageW(form.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 2, r.top + 2));
  SendMessageW(form.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, r.top + 2));
}

// The button sticks out left of a narrow object: 77 left of its right edge, 10 below its top.
void checkHoverButton(Stage& stage) {
  frmMouseOver& button = ui::Instance<frmMouseOver>::get();
  button.Load();
  const Scripted object = objectOn("www.example.test");
  button.setObjectElement(object->as<html::Element>());
  PositionObjectClipper();
  expectPaneChild(stage, button.hWnd(), {263, 210, 67, 19}, "the hover button");
  expect(IsWindowVisible(button.hWnd()) && button.imgLumora[0].Visible,
         "the hover button does not show its clip picture");
  release(button, button.imgLumora[0]);
  expect(button.imgLumora[1].Visible && !button.imgLumora[0].Visible,
         "a click on the clip picture left the unclip picture hidden");
}

// The box belongs to the browser's frame and holds it still until its OK is pressed.
void checkEmbeddingDisabled(Stage& stage) {
  frmMouseOver& button = ui::Instance<frmMouseOver>::get();
  const Scripted object = objectOn(kVideoSiteHost);
  button.setObjectElement(object->as<html::Element>());
  expect(button.imgLumora[2].Visible, "a video whose embedding is disabled offers a clip");
  bool seen = false;
  stage.probe.later([&] {
    const HWND box = FindWindowW(L"#32770", win32::wide(kProjectName).c_str());
    if (!expect(box != nullptr, "no message box titled " + std::string(kProjectName))) return;
    seen = true;
    expect(textsOf(box) == std::vector<std::string>{kEmbeddingDisabledMessage},
           "the message box does not say only the message");
    expect(GetWindow(box, GW_OWNER) == stage.frame, "the message box is not the frame's");
    expect(!IsWindowEnabled(stage.frame), "the frame takes input under the message box");
    expect(GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDNO),
           "the message box has other buttons than OK");
    SendMessageW(box, WM_COMMAND, IDOK, 0);
  });
  release(button, button.imgLumora[2]);
  expect(seen, "the disabled video's picture showed no message box");
  expect(button.imgLumora[2].Visible, "the message changed the picture");
}

void checkSelectionButton(Stage& stage) {
  frmClipSelection& button = ui::Instance<frmClipSelection>::get();
  button.Load();
  expectPaneChild(stage, button.hWnd(), {0, 0, 34, 23}, "the selection button");
}

}  // namespace

void runButtonChecks() {
  Stage stage;
  attempt("hover button", [&] { checkHoverButton(stage); });
  attempt("embedding disabled", [&] { checkEmbeddingDisabled(stage); });
  attempt("selection button", [&] { checkSelectionButton(stage); });
}

}  // namespace smoke
