// Shown instead of the post when the clip is over the sharing limit and the user chose the blog:
// a blog takes no private save, so the only way on is back to the clip.
#pragma once

#include "dialogs/OverLimitForm.h"

class frmOverLimitBlog : public OverLimitForm {
 public:
  frmOverLimitBlog();

 protected:
  void placeButtons() override;
};
