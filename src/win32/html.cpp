// The html port has no Windows adapter yet. No document is ever handed out on Windows
// (DocumentObject::html raises), so the members the band reaches only ever meet Nothing.
#include "platform/error.h"
#include "platform/html.h"

namespace html {

Window Document::parentWindow() const {
  platform::raiseNothing();
}
long Window::screenLeft() const {
  platform::raiseNothing();
}
long Window::screenTop() const {
  platform::raiseNothing();
}

}  // namespace html
