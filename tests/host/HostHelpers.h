// Small helpers for tests that use the library exactly as a host does.
#ifndef TARN_TESTS_HOST_HOSTHELPERS_H
#define TARN_TESTS_HOST_HOSTHELPERS_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>

namespace hosttest {

// The object's current reference count, observed without changing it.
inline std::int32_t Count(vcom::IComponent* object) {
    object->AddRef();
    return object->Release();
}

// Takes a text the library handed out and frees it.
inline std::string Take(char* text) {
    std::string copy = text ? text : "<null>";
    TarnClientLib_MemFree(text);
    return copy;
}

inline tarnclient::ICoreFactory* CoreFactory(tarnclient::IComponentFactory* factory) {
    std::int32_t err = 99;
    auto* core = static_cast<tarnclient::ICoreFactory*>(factory->QueryInterface(tarnclient::ICoreFactory::Id, &err));
    return err == vcom::Success ? core : nullptr;
}

} // namespace hosttest

#endif
