#include "clip/Clipper.h"

#include <string>

#include "band/Reporter.h"
#include "clip/mdlClip.h"
#include "runtime/strings.h"

namespace {

constexpr Reporter kReporter{"LumoraClipper", "Clipper"};

com::Ptr<IUnknown> held(IUnknown** object) {
  return com::Ptr<IUnknown>(object ? *object : nullptr);
}

}  // namespace

// A text range or else an element; Clip's own guard reports what it cannot use.
HRESULT Clipper::Clip(IUnknown** oSourceDocument, IUnknown** oClipObject, BSTR* sPath,
                      VARIANT_BOOL* bColumn) {
  return kReporter.guardCom("Clip()", [&] {
    html::Document document = html::Node::FromUnknown(held(oSourceDocument)).asDocument();
    const html::TextRange range = html::TextRange::FromUnknown(held(oClipObject));
    PageObject picked = range ? PageObject(range)
                              : PageObject(html::Node::FromUnknown(held(oClipObject)).asElement());
    std::string path = sPath && *sPath ? platform::toUtf8(platform::wideView(*sPath)) : "";
    VARIANT_BOOL column = bColumn ? *bColumn : VARIANT_FALSE;
    ::Clip(document, picked, path, column);
  });
}
