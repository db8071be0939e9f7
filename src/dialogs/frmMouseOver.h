// The hover button over a video or picture that can be clipped: a floating window over the
// page, one per browser thread, loaded when first shown and unloaded when the page changes.
#pragma once

#include <array>
#include <string>

#include "platform/html.h"
#include "platform/ui.h"
#include "runtime/controls.h"
#include "runtime/form.h"

// The video-sharing site whose watch pages say when a video's owner has disabled embedding
// (an "embed_code" field reading "Embedding disabled"). No real site is named: the host is a
// reserved example name, for a deployment to replace with the site it serves.
inline constexpr const char* kVideoSiteHost = "videos.folverra.example";

// What picture 2 says when it is clicked.
inline constexpr const char* kEmbeddingDisabledMessage =
    "This video can not be clipped because embedding has been disabled.";

class frmMouseOver : public ui::Form {
 public:
  frmMouseOver();

  ui::PictureBox pcbWindow{*this};
  // 0 clips the object, 1 unclips it, 2 explains that it cannot be clipped; one is shown.
  std::array<ui::Image, 3> imgLumora{{ui::Image(*this), ui::Image(*this), ui::Image(*this)}};

  // Chooses the picture for the object's state in the clip, then keeps the object.
  void setObjectElement(const html::Element& element);
  html::Element ObjectElement() const { return objectElement_; }

  // Any button: the shown picture's action.
  void imgLumora_MouseUp(int index);

 protected:
  std::string formName() const override { return "frmMouseOver"; }
  DWORD formStyle() const override { return ui::kBorderNone; }
  void Form_Load() override;
  void Form_Unload(int& cancel) override;

 private:
  void showPicture(int index);
  html::Element objectElement_;
};

// Places the hover button at the top-right corner of its object, inside the browser pane, and
// shows it; nothing without an object.
void PositionObjectClipper();
