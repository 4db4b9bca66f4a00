// XmlLite speaks UTF-16; the tree and every text handed out are UTF-8.
#ifndef XMLPARSER_XMLLITE_UTF8_H
#define XMLPARSER_XMLLITE_UTF8_H

#include <windows.h>

#include <string>
#include <string_view>

namespace xmlparser {

// text (size UTF-16 units) as UTF-8 in out, which is reused between calls.
// Throws Failure for a text holding U+0000.
std::string_view ToUtf8(const WCHAR* text, UINT size, std::string& out);

} // namespace xmlparser

#endif
