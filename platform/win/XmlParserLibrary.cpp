#include "platform/XmlParserLibrary.h"

#include <string>

#include <windows.h>

namespace platform {

namespace {

constexpr wchar_t kXmlParserFile[] = L"XMLParser.dll";

// The folder of the module this code is part of (TarnClient.dll, or a test
// program that links the library's code), with its final backslash.
std::wstring OwnFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&XmlParserFunction), &self))
        return std::wstring();
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(self, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::wstring::size_type slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

HMODULE LoadXmlParser() {
    const std::wstring folder = OwnFolder();
    if (folder.empty())
        return nullptr;
    return LoadLibraryExW((folder + kXmlParserFile).c_str(), nullptr,
                          LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace

LibraryFunction XmlParserFunction(const char* name) {
    static const HMODULE library = LoadXmlParser();
    // Through FARPROC's own cast: the real type is the caller's to restore.
    return library ? reinterpret_cast<LibraryFunction>(GetProcAddress(library, name)) : nullptr;
}

} // namespace platform
