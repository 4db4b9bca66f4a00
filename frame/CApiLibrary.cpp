// The C interface's calls that need no client: version, machine identifier,
// trace sink, freeing.
#include <algorithm>
#include <cstring>
#include <limits>

#include "frame/CApi.h"
#include "platform/Export.h"
#include "vcom/Boundary.h"
#include "vcom/MemHolder.h"

namespace frame {

vcom::ref<tarnclient::ICoreFactory> CoreFactory(std::int32_t* err) {
    vcom::ref<tarnclient::IComponentFactory> factory(TarnClientLib_GetComponentFactory());
    return vcom::Query<tarnclient::ICoreFactory>(factory.get(), err);
}

std::int32_t CopyText(const char* text, char* out, std::uint32_t size) {
    const std::size_t length = std::strlen(text);
    if (size > 0) {
        const std::size_t copied = std::min<std::size_t>(length, size - 1);
        std::memcpy(out, text, copied);
        out[copied] = '\0';
    }
    return static_cast<std::int32_t>(std::min<std::size_t>(length, std::numeric_limits<std::int32_t>::max()));
}

} // namespace frame

extern "C" {

TARN_EXPORT const char* TARN_CDECL tarn_version(void) { return TARNCLIENT_VERSION_STRING; }

TARN_EXPORT int32_t TARN_CDECL tarn_machine_id(char* text, uint32_t size) {
    if (!text && size > 0)
        return TARN_INVALID_OUT_POINTER;
    return vcom::CatchStatus([&]() -> std::int32_t {
        std::int32_t err = vcom::Failure;
        vcom::ref<tarnclient::ICoreFactory> core = frame::CoreFactory(&err);
        if (!core)
            return err;
        vcom::ref<tarnclient::IMachineIdentity> identity(static_cast<tarnclient::IMachineIdentity*>(
            core->CreateMachineIdentity(tarnclient::IMachineIdentity::Id, &err)));
        if (!identity)
            return err;
        const vcom::LibMemHolder id(identity->GetMachineId());
        if (!id)
            return vcom::OutOfMemory;
        return frame::CopyText(id.text(), text, size);
    });
}

TARN_EXPORT void TARN_CDECL tarn_set_trace(tarn_trace_fn sink, void* context) {
    TarnClientLib_SetTraceSink(sink, context);
}

TARN_EXPORT void TARN_CDECL tarn_free(void* p) { TarnClientLib_MemFree(p); }

} // extern "C"
