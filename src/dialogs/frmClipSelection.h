// The button beside a text selection that clips it: a floating window over the
// page, one per browser thread, loaded when first shown and unloaded when the page changes.
#pragma once

#include <memory>
#include <string>

#include "platform/html.h"
#include "platform/ui.h"
#include "runtime/controls.h"
#include "runtime/form.h"

class WindowProxy;

class frmClipSelection : public ui::Form {
 public:
  frmClipSelection();

  ui::Image imgClip{*this};

  // The page whose selection the button clips, and the proxy of that page.
  void setDocument(const html::Document& document) { document_ = document; }
  html::Document document() const { return document_; }
  void setWindowProxy(const std::shared_ptr<WindowProxy>& proxy) { proxy_ = proxy; }
  std::shared_ptr<WindowProxy> windowProxy() const { return proxy_; }

  // Clips the selection, empties it and goes; one that fails stays for another try.
  void imgClip_Click();

 protected:
  std::string formName() const override { return "frmClipSelection"; }
  DWORD formStyle() const override { return ui::kBorderNone; }
  void Form_Load() override;
  void Form_Unload(int& cancel) override;

 private:
  html::Document document_;
  std::shared_ptr<WindowProxy> proxy_;
};
