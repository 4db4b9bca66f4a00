#include "xmlparser/xmllite/XmlLiteLibrary.h"

#include "vcom/Codes.h"

namespace xmlparser {

namespace {

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

CreateXmlReaderFunction LoadCreateXmlReader() {
    // From the system folder only: never a planted copy in the host's or the current folder.
    HMODULE module = LoadLibraryExW(L"xmllite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module)
        return nullptr;
    // Through void(*)(): the cast from FARPROC to the real type is deliberate.
    const auto proc = reinterpret_cast<void (*)()>(GetProcAddress(module, "CreateXmlReader"));
    return reinterpret_cast<CreateXmlReaderFunction>(proc);
}

} // namespace

vcom::ref<IXmlReader> CreateXmlLiteReader() {
    // Loaded on first use and kept until the process ends: unloading it while
    // this library detaches would call FreeLibrary under the loader lock.
    static const CreateXmlReaderFunction create = LoadCreateXmlReader();
    if (!create)
        vcom::Fail(vcom::Failure);
    void* reader = nullptr;
    const HRESULT hr = create(__uuidof(IXmlReader), &reader, nullptr);
    if (FAILED(hr) || !reader)
        vcom::Fail(hr == E_OUTOFMEMORY ? vcom::OutOfMemory : vcom::Failure);
    return vcom::ref<IXmlReader>(static_cast<IXmlReader*>(reader));
}

} // namespace xmlparser
