// Shown instead of the post when the clip is over the sharing limit and the user chose save,
// e-mail or print: the clip can still be saved privately, or the user goes back to trim it.
#pragma once

#include "dialogs/OverLimitForm.h"

class frmOverLimit : public OverLimitForm {
 public:
  frmOverLimit();

  ui::CommandButton cmdSave{*this};

 protected:
  void placeButtons() override;
};
