#include "customer/Customer.h"

#include "vcom/Codes.h"

namespace customer {

// The customer account components arrive with the customer service.
vcom::IComponent* CreateCustomerManager(std::int32_t, std::int32_t*, tarnclient::IServerLocation*) {
    vcom::Fail(vcom::NotImplemented);
}

vcom::IComponent* CreateMachineIdentity(std::int32_t, std::int32_t*) { vcom::Fail(vcom::NotImplemented); }

} // namespace customer
