// The C interface's client: opening and closing it, and its call control.
#include <memory>

#include "frame/CApi.h"
#include "platform/Export.h"
#include "vcom/Boundary.h"
#include "vcom/MemHolder.h"

using tarnclient::ICallControl;

namespace {

// A creation's code; a null result always fails, even without one.
std::int32_t Refused(std::int32_t err) { return err < 0 ? err : vcom::Failure; }

} // namespace

extern "C" {

TARN_EXPORT int32_t TARN_CDECL tarn_client_open(const char* server, tarn_client** out) {
    if (!out)
        return TARN_INVALID_OUT_POINTER;
    *out = nullptr;
    return vcom::CatchStatus([&]() -> std::int32_t {
        std::int32_t err = vcom::Failure;
        vcom::ref<tarnclient::ICoreFactory> core = frame::CoreFactory(&err);
        if (!core)
            return Refused(err);
        vcom::ref<tarnclient::IComponentFactory> factory =
            vcom::Query<tarnclient::IComponentFactory>(core.get(), &err);
        if (!factory)
            return Refused(err);
        auto client = std::make_unique<tarn_client>();
        client->addresses.reset(static_cast<tarnclient::IAddressManager*>(
            core->CreateAddressManager(tarnclient::IAddressManager::Id, &err, server)));
        if (!client->addresses)
            return Refused(err);
        client->customers.reset(static_cast<tarnclient::ICustomerManager*>(
            factory->CreateCustomerManager(tarnclient::ICustomerManager::Id, &err, server)));
        if (!client->customers)
            return Refused(err);
        client->addressControl = vcom::Query<ICallControl>(client->addresses.get(), &err);
        client->customerControl = vcom::Query<ICallControl>(client->customers.get(), &err);
        if (!client->addressControl || !client->customerControl)
            return Refused(err);
        *out = client.release();
        return vcom::Success;
    });
}

TARN_EXPORT void TARN_CDECL tarn_client_close(tarn_client* client) { std::unique_ptr<tarn_client> closing(client); }

TARN_EXPORT int32_t TARN_CDECL tarn_client_cancel(tarn_client* client) {
    if (!client)
        return TARN_INVALID_ARGUMENT;
    // Both, whichever is in flight: a thread may be in each.
    const std::int32_t addresses = client->addressControl->Cancel();
    const std::int32_t customers = client->customerControl->Cancel();
    return addresses == 0 || customers == 0 ? 0 : 1;
}

TARN_EXPORT int32_t TARN_CDECL tarn_client_set_deadline(tarn_client* client, int32_t milliseconds) {
    if (!client)
        return TARN_INVALID_ARGUMENT;
    const std::int32_t result = client->addressControl->SetDeadline(milliseconds);
    return result != vcom::Success ? result : client->customerControl->SetDeadline(milliseconds);
}

TARN_EXPORT int32_t TARN_CDECL tarn_client_last_failure(tarn_client* client, char* text, uint32_t size,
                                                        int32_t* kind) {
    if (!client)
        return TARN_INVALID_ARGUMENT;
    if (!text && size > 0)
        return TARN_INVALID_OUT_POINTER;
    std::int32_t found = tarnclient::CallSucceeded;
    ICallControl* last = client->lastCalled.load();
    const vcom::LibMemHolder cause(last ? last->GetLastFailure(&found) : nullptr);
    if (kind)
        *kind = found;
    return frame::CopyText(cause ? cause.text() : "", text, size);
}

} // extern "C"
