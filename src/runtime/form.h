// Forms in the original run-time's sense, written once on the ui port for every platform.
// Form::Load raises 7 when its window cannot be created.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace ui {

// A form in the original run-time's sense: a window with handlers. One instance per thread
// (see Instance); Load creates the window and runs Form_Load once, Unload runs Form_Unload and
// destroys the window.
class Control;
class Timer;

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
  void Hide();
  // The inner size in pixels; 0 before the window exists.
  long ScaleWidth() const;
  long ScaleHeight() const;

  // Runs Form_Unload and destroys the window; false when the handler cancelled.
  bool UnloadWindow();

 protected:
  Form() = default;
  virtual std::string formName() const = 0;
  virtual void Form_Initialize() {}
  virtual void Form_Load() {}
  virtual void Form_Unload(int& cancel) { (void)cancel; }
  virtual void Form_Resize() {}

 private:
  template <class F>
  friend class Instance;
  friend class Control;
  friend class Timer;
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Deletes an unloaded form, or, while one of its own handlers is still running (it unloaded
  // itself), once the outermost of them has returned.
  static void retire(std::unique_ptr<Form> form);
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
