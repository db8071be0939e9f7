// The in-page context menu: a small borderless window over the page that widens the clip from
// the element under the mouse to one of its ancestors. One per browser thread; the page's
// context-menu handling loads and shows it, and clipping mode's end unloads it.
#pragma once

#include <memory>
#include <string>

#include "runtime/form.h"

class WindowProxy;

class frmContextMenu : public ui::Form {
 public:
  // The page the menu was opened on; its levels come from the element framed there.
  void setProxy(const std::shared_ptr<WindowProxy>& proxy) { proxy_ = proxy; }
  std::shared_ptr<WindowProxy> Proxy() const { return proxy_; }

 protected:
  std::string formName() const override { return "frmContextMenu"; }
  void Form_Load() override;

 private:
  std::shared_ptr<WindowProxy> proxy_;
};
