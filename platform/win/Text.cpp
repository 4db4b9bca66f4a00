// Text conversions through the system's ANSI code page, and GUIDs from COM.
#include "platform/Text.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

namespace platform {

std::u16string AnsiToWide(const char* text) {
    if (!text || !*text)
        return std::u16string();
    const int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (count <= 1)
        return std::u16string();
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], count) != count)
        return std::u16string();
    return std::u16string(wide.begin(), wide.end() - 1);
}

bool NewGuidText(std::string& out) {
    GUID guid;
    if (FAILED(CoCreateGuid(&guid)))
        return false;
    LPOLESTR text = nullptr;
    if (FAILED(StringFromCLSID(guid, &text)))
        return false;
    BSTR copy = SysAllocString(text);
    CoTaskMemFree(text);
    if (!copy)
        return false;
    char single[64];
    const int length = WideCharToMultiByte(CP_ACP, 0, copy, -1, single, sizeof single, nullptr, nullptr);
    SysFreeString(copy);
    if (length <= 1)
        return false;
    out.assign(single, static_cast<std::size_t>(length - 1));
    return true;
}

} // namespace platform
