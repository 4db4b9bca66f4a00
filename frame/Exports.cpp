// The library's three exported functions.
#include <new>

#include <tarnclient/TarnClient.h>

#include "frame/ComponentFactory.h"
#include "platform/Export.h"

extern "C" {

TARN_EXPORT tarnclient::IComponentFactory* TARNCLIENT_CDECL TarnClientLib_GetComponentFactory() {
    return frame::ComponentFactory::Get();
}

// The heap the library's own new uses; never throws.
TARN_EXPORT void* TARNCLIENT_CDECL TarnClientLib_MemAlloc(std::uint32_t size) {
    return ::operator new(size, std::nothrow);
}

TARN_EXPORT void TARNCLIENT_CDECL TarnClientLib_MemFree(void* p) { ::operator delete(p); }

} // extern "C"
