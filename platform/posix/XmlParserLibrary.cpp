#include "platform/XmlParserLibrary.h"

#include <dlfcn.h>

namespace platform {

namespace {
constexpr char kXmlParserFile[] = "libXMLParser.so.1";
}

// Already loaded with this library, which links it: looked up in it alone,
// whatever scope the host loaded this library into.
LibraryFunction XmlParserFunction(const char* name) {
    void* library = dlopen(kXmlParserFile, RTLD_NOW | RTLD_NOLOAD);
    if (!library)
        return nullptr;
    void* function = dlsym(library, name);
    dlclose(library);
    return reinterpret_cast<LibraryFunction>(function);
}

} // namespace platform
