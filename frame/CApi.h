// The C interface (include/tarnclient/tarn.h): what its files share.
//
// A thin layer over the components, reached through their public interfaces
// from the factory like any host reaches them: every result is a component's
// own, every failure is traced by the component that met it. The layer's own
// codes are those for a NULL handle or out pointer, and the code a failed
// lookup (which gives only null) takes from the kind its call recorded.
#ifndef TARN_FRAME_CAPI_H
#define TARN_FRAME_CAPI_H

#include <atomic>
#include <cstdint>

#include <tarnclient/TarnClient.h>
#include <tarnclient/tarn.h>

#include "vcom/Ref.h"

// One address manager and one customer manager on the same server. Each call
// notes which of the two makes it, so that the client's last failure is the
// one of its last call.
struct tarn_client {
    vcom::ref<tarnclient::IAddressManager> addresses;
    vcom::ref<tarnclient::ICustomerManager> customers;
    vcom::ref<tarnclient::ICallControl> addressControl;
    vcom::ref<tarnclient::ICallControl> customerControl;
    std::atomic<tarnclient::ICallControl*> lastCalled{nullptr};

    tarnclient::IAddressManager& Addresses() {
        lastCalled.store(addressControl.get());
        return *addresses;
    }
    tarnclient::ICustomerManager& Customers() {
        lastCalled.store(customerControl.get());
        return *customers;
    }
};

namespace frame {

// The core factory, as a host gets it; null with the code in *err.
vcom::ref<tarnclient::ICoreFactory> CoreFactory(std::int32_t* err);

// Copies text into the caller's buffer of size bytes, cut to size - 1 bytes
// and terminated; returns the full length.
std::int32_t CopyText(const char* text, char* out, std::uint32_t size);

} // namespace frame

#endif
