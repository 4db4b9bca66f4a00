// What tests need to call the library as a host does: texts it hands out
// copied and freed, the core factory, and reference counts observed.
#ifndef TARN_TESTS_SUPPORT_HOSTCALLS_H
#define TARN_TESTS_SUPPORT_HOSTCALLS_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>

namespace tarntest {

// The text, or "<null>" for none.
inline std::string Take(char* text) {
    std::string copy = text ? text : "<null>";
    TarnClientLib_MemFree(text);
    return copy;
}

// Null (and a code) wherever the library gives nothing, so the torture runs
// can use it too.
inline tarnclient::Ref<tarnclient::ICoreFactory> Core(std::int32_t* err = nullptr) {
    return tarnclient::Ref<vcom::IComponent>(TarnClientLib_GetComponentFactory()).As<tarnclient::ICoreFactory>(err);
}

// The object's current reference count, observed without changing it.
inline std::int32_t Count(vcom::IComponent* object) {
    object->AddRef();
    return object->Release();
}

} // namespace tarntest

#endif
