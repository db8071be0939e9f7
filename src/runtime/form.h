// Forms in the original run-time's sense, written once on the ui port for every platform.
// Form::Load raises 7 when its window cannot be created.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace ui {

// A form in the original run-time's sense: a window with handlers. One instance per thread
// (see Instance); Load creates the window and runs Form_Load once, Unload runs Form_Unload and
// destroys the window.
class Control;
class Slider;
class Timer;

// Show's modes and StartUpPosition's values, as the run-time named them.
constexpr int vbModeless = 0;
constexpr int vbModal = 1;
constexpr int vbStartUpManual = 0;
constexpr int vbStartUpOwner = 1;

// Window styles of the run-time's BorderStyle settings a form is designed with.
constexpr DWORD kBorderNone = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD kBorderFixedDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

class Form {
 public:
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  void Load();
  bool isLoaded() const { return hwnd_ != nullptr; }
  // The window handle; loads the form first, as the original did.
  HWND hWnd();
  void Show();
  // vbModal: disables the owner, shows the form (centred on the owner with vbStartUpOwner) and
  // runs the thread's messages in a loop of its own until the form is hidden or unloaded, then
  // enables the owner again. A WM_QUIT ends the loop and is left for the thread's own loop.
  void Show(int modal, Form* owner = nullptr);
  void Hide();
  // The inner size in pixels; 0 before the window exists.
  long ScaleWidth() const;
  long ScaleHeight() const;
  // The window's outer rectangle in twips: on the screen for a top-level window, in the
  // parent's client area for a child. Pixels convert with TwipsPerPixelX/Y, to the nearest
  // pixel. Each loads the form first; Move keeps what it is not given.
  long Left();
  long Top();
  long Width();
  long Height();
  void Move(long left, std::optional<long> top = {}, std::optional<long> width = {},
            std::optional<long> height = {});
  void setLeft(long twips) { Move(twips); }
  void setTop(long twips) { Move(Left(), twips); }
  void setWidth(long twips) { Move(Left(), Top(), twips); }
  void setHeight(long twips) { Move(Left(), Top(), Width(), twips); }

  // Where a modal Show places the form.
  int StartUpPosition = vbStartUpManual;
  // When set, the client area is filled with it under the controls; else the window's own
  // background shows.
  std::optional<COLORREF> BackColor;

  // Runs Form_Unload and destroys the window; false when the handler cancelled.
  bool UnloadWindow();

 protected:
  Form() = default;
  virtual std::string formName() const = 0;
  // The design: the window's title and its BorderStyle's window style.
  virtual std::string formCaption() const { return formName(); }
  virtual DWORD formStyle() const { return WS_CLIPCHILDREN; }
  virtual void Form_Initialize() {}
  virtual void Form_Load() {}
  virtual void Form_Unload(int& cancel) { (void)cancel; }
  virtual void Form_Resize() {}
  // Every move of the pointer over the client area, over a control or not; x and y in pixels.
  virtual void Form_MouseMove(int button, int shift, long x, long y) {
    (void)button, (void)shift, (void)x, (void)y;
  }

 private:
  template <class F>
  friend class Instance;
  friend class Control;
  friend class Timer;
  friend class Slider;
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Deletes an unloaded form, or, while one of its own handlers is still running (it unloaded
  // itself), once the outermost of them has returned.
  static void retire(std::unique_ptr<Form> form);
  // Ends one of the form's handlers (or its modal loop); a retired form goes with the last.
  // Nothing of the form may be touched after it.
  void leave();
  // The window's rectangle in pixels, in the terms Move takes.
  RECT placement();
  void centreOn(HWND owner);
  LRESULT dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
  void paint();
  void mouse(UINT msg, WPARAM wParam, LPARAM lParam);
  void timer(UINT_PTR id);
  // Topmost shown control at a point of the client area.
  Control* controlAt(POINT point) const;
  // Shows the cursor of the control under the pointer, when it has one of its own.
  bool showControlCursor() const;

  HWND hwnd_ = nullptr;
  std::vector<Control*> controls_;  // in z-order, bottom first
  std::vector<Timer*> timers_;
  std::vector<Slider*> sliders_;
  Control* pressed_ = nullptr;
  int handling_ = 0;  // depth of this form's handlers on the stack
  bool retired_ = false;
};

// The per-thread single instance of form class F: created on first reference, dropped by
// Unload; a reference after unload creates a fresh one.
template <class F>
class Instance {
 public:
  static F& get() {
    auto& s = slot();
    if (!s) {
      s.reset(new F());
      static_cast<Form&>(*s).Form_Initialize();
    }
    return *s;
  }
  static bool exists() { return slot() != nullptr; }
  static void Unload() {
    auto& s = slot();
    if (s && s->UnloadWindow()) Form::retire(std::move(s));
  }

 private:
  static std::unique_ptr<F>& slot() {
    thread_local std::unique_ptr<F> instance;
    return instance;
  }
};

}  // namespace ui
