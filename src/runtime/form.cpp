#include "runtime/form.h"

#include <cmath>

#include "platform/system.h"
#include "runtime/controls.h"
#include "runtime/guard.h"

namespace ui {
namespace {
constexpr const char* kFormClass = "FolverraForm";

POINT pointOf(LPARAM lParam) {
  return {static_cast<short>(lParam & 0xFFFF), static_cast<short>((lParam >> 16) & 0xFFFF)};
}

int buttonOf(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return vbLeftButton;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return vbRightButton;
    default:
      return vbMiddleButton;
  }
}

bool isButtonDown(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
}

bool isMouseButton(UINT msg) {
  return isButtonDown(msg) || msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
}

// The buttons held during a move, as the run-time's MouseMove had them.
int buttonsOf(WPARAM wParam) {
  constexpr WPARAM kLeft = 0x0001, kRight = 0x0002, kMiddle = 0x0010;
  return ((wParam & kLeft) ? vbLeftButton : 0) | ((wParam & kRight) ? vbRightButton : 0) |
         ((wParam & kMiddle) ? vbMiddleButton : 0);
}

long toPixels(long twips, int twipsPerPixel) {
  return std::lround(static_cast<double>(twips) / twipsPerPixel);
}

int shiftOf(WPARAM wParam) {
  return ((wParam & MK_SHIFT) ? 1 : 0) | ((wParam & MK_CONTROL) ? 2 : 0);
}

bool inside(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// Forms unloaded from inside their own handlers, kept until those have returned.
class Graveyard {
 public:
  void park(std::unique_ptr<Form> form) { forms_.push_back(std::move(form)); }
  void remove(Form* form) {
    std::erase_if(forms_, [&](const std::unique_ptr<Form>& f) { return f.get() == form; });
  }

 private:
  std::vector<std::unique_ptr<Form>> forms_;
};

Graveyard& graveyard() {
  thread_local Graveyard g;
  return g;
}
}  // namespace

Form::~Form() {
  if (hwnd_) {
    ui::SetWindowLongPtr(hwnd_, GWLP_USERDATA, 0);
    ui::DestroyWindow(hwnd_);
  }
}

void Form::Load() {
  if (hwnd_) return;
  ui::RegisterWindowClass(kFormClass, &Form::FormProc);
  HWND hwnd = ui::CreateWindowEx(0, kFormClass, formCaption(), formStyle(), 0, 0, 0, 0, nullptr);
  if (!hwnd) platform::raise(platform::kOutOfMemory, "Cannot create the window of " + formName());
  hwnd_ = hwnd;
  ui::SetWindowLongPtr(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // Timers enabled before there was a window start with it.
  for (Timer* timer : timers_)
    if (timer->Enabled()) timer->setEnabled(true);
  for (Slider* slider : sliders_) slider->create(hwnd_);
  Form_Load();
}

HWND Form::hWnd() {
  Load();
  return hwnd_;
}

void Form::Show() {
  ui::ShowWindow(hWnd(), SW_SHOWNORMAL);
}

void Form::Show(int modal, Form* owner) {
  HWND hwnd = hWnd();
  HWND ownerWindow = owner ? owner->hWnd() : nullptr;
  ui::SetWindowLongPtr(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow));
  if (ownerWindow && StartUpPosition == vbStartUpOwner) centreOn(ownerWindow);
  if (modal != vbModal) {
    Show();
    return;
  }
  const bool disabled = ownerWindow && ui::IsWindowEnabled(ownerWindow);
  if (disabled) ui::EnableWindow(ownerWindow, FALSE);
  // Kept alive through an unload inside the loop, as a running handler keeps it.
  ++handling_;
  ui::ShowWindow(hwnd, SW_SHOWNORMAL);
  while (isLoaded() && (ui::GetWindowLongPtr(hwnd_, GWL_STYLE) & WS_VISIBLE)) {
    MSG msg;
    if (!ui::GetMessage(&msg)) {
      ui::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ui::DispatchMessage(&msg);
  }
  if (disabled && ui::IsWindow(ownerWindow)) ui::EnableWindow(ownerWindow, TRUE);
  leave();
}

void Form::centreOn(HWND owner) {
  RECT o{};
  const RECT me = placement();
  if (!ui::GetWindowRect(owner, &o)) return;
  const long width = me.right - me.left;
  const long height = me.bottom - me.top;
  ui::MoveWindow(hwnd_, static_cast<int>(o.left + (o.right - o.left - width) / 2),
                 static_cast<int>(o.top + (o.bottom - o.top - height) / 2), static_cast<int>(width),
                 static_cast<int>(height), TRUE);
}

RECT Form::placement() {
  RECT r{};
  HWND hwnd = hWnd();
  ui::GetWindowRect(hwnd, &r);
  HWND parent = ui::GetParent(hwnd);
  POINT origin{0, 0};
  if ((ui::GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CHILD) && parent &&
      ui::ClientToScreen(parent, &origin)) {
    r.left -= origin.x;
    r.right -= origin.x;
    r.top -= origin.y;
    r.bottom -= origin.y;
  }
  return r;
}

long Form::Left() {
  return placement().left * sys::TwipsPerPixelX();
}

long Form::Top() {
  return placement().top * sys::TwipsPerPixelY();
}

long Form::Width() {
  const RECT r = placement();
  return (r.right - r.left) * sys::TwipsPerPixelX();
}

long Form::Height() {
  const RECT r = placement();
  return (r.bottom - r.top) * sys::TwipsPerPixelY();
}

void Form::Move(long left, std::optional<long> top, std::optional<long> width,
                std::optional<long> height) {
  const int tx = sys::TwipsPerPixelX();
  const int ty = sys::TwipsPerPixelY();
  const RECT r = placement();
  ui::MoveWindow(hwnd_, static_cast<int>(toPixels(left, tx)),
                 static_cast<int>(top ? toPixels(*top, ty) : r.top),
                 static_cast<int>(width ? toPixels(*width, tx) : r.right - r.left),
                 static_cast<int>(height ? toPixels(*height, ty) : r.bottom - r.top), TRUE);
}

void Form::Hide() {
  if (hwnd_) ui::ShowWindow(hwnd_, SW_HIDE);
}

long Form::ScaleWidth() const {
  RECT r{};
  return hwnd_ && ui::GetClientRect(hwnd_, &r) ? r.right - r.left : 0;
}

long Form::ScaleHeight() const {
  RECT r{};
  return hwnd_ && ui::GetClientRect(hwnd_, &r) ? r.bottom - r.top : 0;
}

bool Form::UnloadWindow() {
  if (!hwnd_) return true;
  int cancel = 0;
  Form_Unload(cancel);
  if (cancel) return false;
  HWND hwnd = hwnd_;
  hwnd_ = nullptr;
  ui::SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
  ui::DestroyWindow(hwnd);
  return true;
}

LRESULT CALLBACK Form::FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return platform::boundary<LRESULT>("FormProc", 0, [&]() -> LRESULT {
    auto* form = reinterpret_cast<Form*>(ui::GetWindowLongPtr(hwnd, GWLP_USERDATA));
    if (!form) return ui::DefWindowProc(hwnd, msg, wParam, lParam);
    ++form->handling_;
    const LRESULT result = form->dispatch(msg, wParam, lParam);
    form->leave();
    return result;
  });
}

LRESULT Form::dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = hwnd_;
  if (msg == WM_SIZE) Form_Resize();
  if (msg == WM_PAINT) {
    paint();
    return 0;
  }
  if (msg == WM_SETCURSOR && reinterpret_cast<HWND>(wParam) == hwnd &&
      (lParam & 0xFFFF) == HTCLIENT && showControlCursor())
    return TRUE;
  if (msg == WM_TIMER) timer(static_cast<UINT_PTR>(wParam));
  if (msg == WM_VSCROLL)
    for (Slider* slider : sliders_)
      if (slider->hwnd_ && slider->hwnd_ == reinterpret_cast<HWND>(lParam)) {
        slider->scrolled();
        break;
      }
  if (msg == WM_MOUSEMOVE) {
    const POINT point = pointOf(lParam);
    Form_MouseMove(buttonsOf(wParam), shiftOf(wParam), point.x, point.y);
  }
  if (isMouseButton(msg)) mouse(msg, wParam, lParam);
  return ui::DefWindowProc(hwnd, msg, wParam, lParam);
}

void Form::leave() {
  if (--handling_ == 0 && retired_) graveyard().remove(this);
}

void Form::retire(std::unique_ptr<Form> form) {
  if (form->handling_ == 0) return;  // nothing of it is running: it goes now
  form->retired_ = true;
  graveyard().park(std::move(form));
}

// Tool tips follow the controls' places as painted, so a layout change moves them too.
void Form::paint() {
  std::vector<PaintItem> items;
  std::vector<ToolTipItem> tips;
  if (BackColor)
    items.push_back({RECT{0, 0, static_cast<LONG>(ScaleWidth()), static_cast<LONG>(ScaleHeight())},
                     TextItem{"", FontSpec{}, *BackColor, true, *BackColor}});
  for (const Control* control : controls_) {
    if (!control->shown()) continue;
    control->appendPaint(items);
    if (!control->ToolTipText.empty()) tips.push_back({control->formRect(), control->ToolTipText});
  }
  PaintControls(hwnd_, items);
  SetToolTips(hwnd_, tips);
}

Control* Form::controlAt(POINT point) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
    if ((*it)->shown() && inside((*it)->formRect(), point)) return *it;
  return nullptr;
}

bool Form::showControlCursor() const {
  POINT point{};
  if (!ui::GetCursorPos(&point) || !ui::ScreenToClient(hwnd_, &point)) return false;
  const Control* control = controlAt(point);
  if (!control || control->MousePointer != vbCustom || !control->MouseIcon) return false;
  ui::SetCursor(static_cast<HCURSOR>(control->MouseIcon.handle()));
  return true;
}

// A click is a left press and release on the same control, as the run-time had it.
void Form::mouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  const POINT point = pointOf(lParam);
  Control* control = controlAt(point);
  if (!control) {
    if (!isButtonDown(msg)) pressed_ = nullptr;
    return;
  }
  const RECT r = control->formRect();
  const int button = buttonOf(msg);
  const long x = point.x - r.left;
  const long y = point.y - r.top;
  if (isButtonDown(msg)) {
    pressed_ = control;
    if (control->MouseDown) control->MouseDown(button, shiftOf(wParam), x, y);
    return;
  }
  const bool click = button == vbLeftButton && pressed_ == control;
  pressed_ = nullptr;
  if (control->MouseUp) control->MouseUp(button, shiftOf(wParam), x, y);
  // A form that unloaded itself on the way up hears nothing more.
  if (click && control->Click && isLoaded()) control->Click();
}

void Form::timer(UINT_PTR id) {
  for (Timer* timer : timers_)
    if (timer->id_ == id && timer->Enabled() && timer->OnTimer) {
      timer->OnTimer();
      return;
    }
}

}  // namespace ui
