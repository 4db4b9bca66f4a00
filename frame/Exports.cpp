// The library's exported functions.
#include <new>

#include <tarnclient/TarnClient.h>

#include "frame/ComponentFactory.h"
#include "messages/Trace.h"
#include "platform/Export.h"
#include "vcom/ProcessWide.h"

extern "C" {

TARN_EXPORT tarnclient::IComponentFactory* TARNCLIENT_CDECL TarnClientLib_GetComponentFactory() {
    vcom::FreeProcessWideAtUnload();
    return frame::ComponentFactory::Get();
}

// The heap the library's own new uses; never throws.
TARN_EXPORT void* TARNCLIENT_CDECL TarnClientLib_MemAlloc(std::uint32_t size) {
    return ::operator new(size, std::nothrow);
}

TARN_EXPORT void TARNCLIENT_CDECL TarnClientLib_MemFree(void* p) { ::operator delete(p); }

TARN_EXPORT void TARNCLIENT_CDECL TarnClientLib_SetTraceSink(void(TARNCLIENT_CDECL* sink)(void* context, const char* line),
                                                       void* context) {
    tarnClientLib::SetTraceSink(sink, context);
}

} // extern "C"
