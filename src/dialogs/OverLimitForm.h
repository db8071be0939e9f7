// What the two over-limit dialogs share: a page from the content host explaining the sharing
// limit, and an Edit Clip button that takes the user back to the clip.
#pragma once

#include <string>

#include "band/Reporter.h"
#include "runtime/controls.h"
#include "runtime/form.h"

class OverLimitForm : public ui::Form {
 public:
  ui::BrowserControl wbOverLimit{*this};
  ui::CommandButton cmdCancel{*this};

 protected:
  // The form's name and title, the window's size and the page's height in pixels, and the page's
  // path on the content host.
  struct Design {
    const char* name;
    const char* caption;
    long width;
    long height;
    long pageHeight;
    const char* pagePath;
  };
  explicit OverLimitForm(const Design& design);
  std::string formName() const override { return design_.name; }
  std::string formCaption() const override { return design_.caption; }
  DWORD formStyle() const override { return ui::kBorderFixedDialog; }
  void Form_Load() override;
  // Places the buttons under the page.
  virtual void placeButtons() = 0;
  static void sizeButton(ui::CommandButton& button, const std::string& caption);

  const Design design_;
  const Reporter reporter_;
};
