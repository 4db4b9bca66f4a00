// The process-wide server location.
#ifndef TARN_ADDRESS_ADDRESSCONFIG_H
#define TARN_ADDRESS_ADDRESSCONFIG_H

#include <string>

#include <tarnclient/TarnClient.h>

#include "address/ServerLocation.h"
#include "vcom/Component.h"
#include "vcom/CriticalSection.h"

namespace address {

class AddressConfig : public vcom::Component<AddressConfig, vcom::Iface<tarnclient::IServerLocation>> {
public:
    // Empty serverAddress: read "QAS Address" from the registry. Throws a code.
    explicit AddressConfig(const std::string& serverAddress);

    // Process-wide (vcom/ProcessWide.h): Release never destroys it and
    // always answers 0.
    std::int32_t Release() override;

    char* GetAddress() override;
    char* GetHost() override;
    std::int32_t GetPort() override;

    static std::string ReadRegistryAddress();

    ~AddressConfig() override = default;

private:
    vcom::CriticalSection m_lock;
    ServerLocation m_location;
};

} // namespace address

#endif
