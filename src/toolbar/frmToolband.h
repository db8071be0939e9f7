// The toolbar form: the band window the browser shows. One instance per browser thread.
#pragma once

#include <string>

#include "platform/browser.h"
#include "platform/error.h"
#include "platform/ui.h"

class frmToolband : public ui::Form {
 public:
  // The browser whose events the form follows while it is loaded.
  browser::WebBrowser g_IEWindow;

  void ReportError(std::string_view routine, const platform::Error& error,
                   const std::string& moreInfo = {});

 protected:
  std::string formName() const override { return "frmToolband"; }
  void Form_Load() override;
  void Form_Unload(int& cancel) override;
};
