#include "clip/Video.h"

xml::Document ClipVideo(const html::Document&, const html::Element&) {
  return {};
}
