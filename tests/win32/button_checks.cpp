// The hover and selection buttons on the real window system: children of a stand-in of the
// browser's pane, read back through user32, and the message box of a video that cannot be
// clipped. The object under the button is a scripted element; no HTML engine runs here.
#include <string>

#include "band/Reporter.h"
#include "band/mdlCommon.h"
#include "check.h"
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
    DestroyWindow(frame);
  }
  // "LEFT,TOP WxH, client WxH" of a plain child window of the pane; what it is else.
  std::string placeOf(HWND hwnd) const {
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    if (GetParent(hwnd) != pane || !(style & WS_CHILD) || (style & WS_POPUP))
      return "no plain child of the pane";
    const std::vector<long> p = place(hwnd, pane);
    RECT client{};
    GetClientRect(hwnd, &client);
    return std::to_string(p[0]) + "," + std::to_string(p[1]) + " " + std::to_string(p[2]) + "x" +
           std::to_string(p[3]) + ", client " + std::to_string(client.right) + "x" +
           std::to_string(client.bottom);
  }
};

// An object 40 pixels wide at (300, 200) of a page on host, whose embed_code field says
// embedding is disabled; the page has no frame to clip with.
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

// The button sticks out left of a narrow object: 77 left of its right edge, 10 below its top.
void checkHoverButton(Stage& stage) {
  frmMouseOver& button = ui::Instance<frmMouseOver>::get();
  button.Load();
  const Scripted object = objectOn("www.example.test");
  button.setObjectElement(object->as<html::Element>());
  PositionObjectClipper();
  const std::string place = stage.placeOf(button.hWnd());
  expect(place == "263,210 67x19, client 67x19", "the hover button lies at " + place);
  expect(IsWindowVisible(button.hWnd()), "the hover button is hidden");
  click(button.hWnd(), button.imgLumora[0].formRect());
  expect(button.imgLumora[1].Visible, "a click on the clip picture left the unclip one hidden");
}

// The box belongs to the browser's frame and holds it still until its OK is pressed.
void checkEmbeddingDisabled(Stage& stage) {
  frmMouseOver& button = ui::Instance<frmMouseOver>::get();
  const Scripted object = objectOn(kVideoSiteHost);
  button.setObjectElement(object->as<html::Element>());
  bool seen = false;
  stage.probe.later([&] {
    const HWND box = FindWindowW(L"#32770", win32::wide(kProjectName).c_str());
    if (!expect(box != nullptr, "no message box titled " + std::string(kProjectName))) return;
    seen = true;
    expect(FindWindowExW(box, nullptr, L"Static", win32::wide(kEmbeddingDisabledMessage).c_str()),
           "the message box does not give the message");
    expect(GetWindow(box, GW_OWNER) == stage.frame && !IsWindowEnabled(stage.frame),
           "the message box does not hold the browser's frame");
    expect(GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDNO),
           "the message box has other buttons than OK");
    SendMessageW(box, WM_COMMAND, IDOK, 0);
  });
  click(button.hWnd(), button.imgLumora[2].formRect());
  expect(seen && button.imgLumora[2].Visible, "the disabled video's picture showed no message");
}

void checkSelectionButton(Stage& stage) {
  frmClipSelection& button = ui::Instance<frmClipSelection>::get();
  button.Load();
  const std::string place = stage.placeOf(button.hWnd());
  expect(place == "0,0 34x23, client 34x23", "the selection button lies at " + place);
}

}  // namespace

void runButtonChecks() {
  Stage stage;
  attempt("hover button", [&] { checkHoverButton(stage); });
  attempt("embedding disabled", [&] { checkEmbeddingDisabled(stage); });
  attempt("selection button", [&] { checkSelectionButton(stage); });
}

}  // namespace smoke
