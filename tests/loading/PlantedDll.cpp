// Someone else's xmllite.dll and XMLParser.dll: the entry points of both,
// each failing, so a library that loads this instead of the real one fails
// the lookup.
#include <windows.h>

extern "C" {

__declspec(dllexport) HRESULT WINAPI CreateXmlReader(const void*, void** reader, void*) {
    if (reader)
        *reader = nullptr;
    return E_FAIL;
}

__declspec(dllexport) void* XMLParserLib_GetComponentFactory() { return nullptr; }

__declspec(dllexport) void XMLParserLib_MemFree(void*) {}

} // extern "C"
