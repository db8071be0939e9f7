// The clip bar: a thin bar across the top of the page while clipping mode is on, with the
// count of clipped characters against the sharing limit, the Done Clipping button and the
// Help, sharing-limit and Cancel links. A child of the browser pane, one per browser thread.
#pragma once

#include <string>

#include "band/Reporter.h"
#include "runtime/controls.h"
#include "runtime/form.h"

class frmClipBar : public ui::Form {
 public:
  frmClipBar();

  ui::Image imgBackground{*this};
  ui::Image imgTagline{*this};
  ui::Image imgDoneClipping{*this};
  ui::Image imgChooseOption{*this};
  ui::Label lblCharCount{*this};
  ui::Label lblCharactersClipped{*this};
  ui::Label lblCharsRemaining{*this};
  ui::Label lblCharsRemaingingText{*this};
  ui::Label lblPublishingLimit{*this};
  ui::Label lblHelp{*this};
  ui::Label lblCancel{*this};

  // Lays the bar out, then shows it.
  void ShowClipBar();
  // Places the bar over the page's client area and lays its controls out for their texts.
  void SizeClipBar();
  // The bar's own handlers for the rest, which have no error trap of their own.
  const Reporter& reporter() const { return reporter_; }

 protected:
  std::string formName() const override { return "frmClipBar"; }
  DWORD formStyle() const override { return ui::kBorderNone; }
  void Form_Load() override;
  void Form_Resize() override;
  void Form_MouseMove(int button, int shift, long x, long y) override;

 private:
  void imgDoneClipping_Click();
  void lblCancel_Click();
  void lblHelp_Click();
  void lblPublishingLimit_Click();

  const Reporter reporter_{kProjectName, "frmClipBar"};
};

// Opens the how-to-clip page in a new browser window with its bars, at the browser's own size.
void LaunchHowToClip();
