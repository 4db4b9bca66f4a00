#include "xmlparser/xmllite/Utf8.h"

#include <limits>

#include "vcom/Codes.h"

namespace xmlparser {

std::string_view ToUtf8(const WCHAR* text, UINT size, std::string& out) {
    out.clear();
    if (size == 0)
        return out;
    // U+0000 is no XML character (Wine's reader lets &#0; through), and a
    // NUL-terminated text could not carry it.
    if (size > static_cast<UINT>(std::numeric_limits<int>::max()) ||
        std::char_traits<WCHAR>::find(text, size, L'\0') != nullptr)
        vcom::Fail(vcom::Failure);
    const int wide = static_cast<int>(size);
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text, wide, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        vcom::Fail(vcom::Failure);
    out.resize(static_cast<std::size_t>(needed));
    if (WideCharToMultiByte(CP_UTF8, 0, text, wide, out.data(), needed, nullptr, nullptr) != needed)
        vcom::Fail(vcom::Failure);
    return out;
}

} // namespace xmlparser
