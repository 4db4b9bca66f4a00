// The library's three exported functions.
#include <new>

#include <tarnclient/TarnClient.h>

#include "frame/ComponentFactory.h"
#include "platform/Export.h"
#include "vcom/ProcessWide.h"

extern "C" {

TARN_EXPORT tarnclient::IComponentFactory* TarnClientLib_GetComponentFactory() {
    vcom::FreeProcessWideAtUnload();
    return frame::ComponentFactory::Get();
}

// The heap the library's own new uses; never throws.
TARN_EXPORT void* TarnClientLib_MemAlloc(std::uint32_t size) { return ::operator new(size, std::nothrow); }

TARN_EXPORT void TarnClientLib_MemFree(void* p) { ::operator delete(p); }

} // extern "C"
