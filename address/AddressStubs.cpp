#include "address/Address.h"

#include "vcom/Codes.h"

namespace address {

// The address lookups arrive with the address service.
vcom::IComponent* CreateAddressManager(std::int32_t, std::int32_t*, tarnclient::IServerLocation*) {
    vcom::Fail(vcom::NotImplemented);
}

} // namespace address
