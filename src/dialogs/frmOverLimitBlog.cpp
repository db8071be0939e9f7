#include "dialogs/frmOverLimitBlog.h"

frmOverLimitBlog::frmOverLimitBlog()
    : OverLimitForm({"frmOverLimitBlog", "Over Clip-to-Blog Limit", 322, 364, 291,
                     "/overlimit_image_blog.htm"}) {
  cmdCancel.Click = [] { ui::Instance<frmOverLimitBlog>::Unload(); };
}

void frmOverLimitBlog::placeButtons() {
  cmdCancel.Left = 224;
  cmdCancel.Top = 304;
}
