// What the rest of the library uses of the customer account client.
#ifndef TARN_CUSTOMER_CUSTOMER_H
#define TARN_CUSTOMER_CUSTOMER_H

#include <cstdint>

#include <tarnclient/TarnClient.h>

namespace customer {

// A new CustomerManager over its own copy of location. Throws a code on failure.
vcom::IComponent* CreateCustomerManager(std::int32_t id, std::int32_t* err, tarnclient::IServerLocation* location);

// A new MachineIdentity (reads or creates "Machine ID"). Throws a code on failure.
vcom::IComponent* CreateMachineIdentity(std::int32_t id, std::int32_t* err);

} // namespace customer

#endif
