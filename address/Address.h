// What the rest of the library uses of the address service client.
#ifndef TARN_ADDRESS_ADDRESS_H
#define TARN_ADDRESS_ADDRESS_H

#include <cstdint>

#include <tarnclient/TarnClient.h>

namespace address {

// The process-wide server location (created by the first call that succeeds,
// from serverAddress, or from the registry value "QAS Address" when
// serverAddress is null or empty). Throws a code on failure.
vcom::IComponent* GetConfiguration(std::int32_t id, std::int32_t* err, const char* serverAddress);

// A new AddressManager over its own copy of location. Throws a code on failure.
vcom::IComponent* CreateAddressManager(std::int32_t id, std::int32_t* err, tarnclient::IServerLocation* location);

// A new server record; "address" is "<IP Address>:<Port>". Throws a code on failure.
vcom::IComponent* CreateServerAddress(std::int32_t id, const char* name, const char* address, std::int32_t* err,
                                      std::int32_t uc);

} // namespace address

#endif
