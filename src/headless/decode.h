// The bytes of an HTML page as the UTF-8 the parser reads, decoded in the encoding a browser
// would pick for them.
#pragma once

#include <string>
#include <string_view>

namespace headless {

// The encoding is the first of: a byte-order mark (dropped); transportCharset, the charset of
// the Content-Type header (empty for a file); the encoding of an XML declaration opening the
// page; a <meta> charset within the first 1024 bytes; else UTF-8. A label no rule knows passes
// to the next rule. Bytes the encoding cannot read become U+FFFD, a leading U+FEFF is dropped.
// Never throws on any input (short of memory); time and size are linear in the page's.
std::string htmlToUtf8(std::string_view bytes, std::string_view transportCharset);

}  // namespace headless
