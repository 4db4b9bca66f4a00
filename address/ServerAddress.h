// One server as the address server reported it: name, "<IP Address>:<Port>"
// and its uc number, with the address split into host and port up front so a
// host program can connect without parsing.
#ifndef TARN_ADDRESS_SERVERADDRESS_H
#define TARN_ADDRESS_SERVERADDRESS_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>

#include "address/ServerLocation.h"
#include "vcom/Component.h"
#include "vcom/CriticalSection.h"

namespace address {

class ServerAddress : public vcom::Component<ServerAddress, vcom::Iface<tarnclient::IServerAddress>> {
public:
    // Throws InvalidArgument when address has no ':'.
    ServerAddress(const std::string& name, const std::string& address, std::int32_t uc);

    char* GetName() override;
    char* GetAddress() override;
    std::int32_t GetPort() override;
    char* GetHost() override;
    std::int32_t GetUc() override;

private:
    vcom::CriticalSection m_lock;
    std::string m_name;
    ServerLocation m_location;
    // The record never invents a uc; -1 only until the constructor stores the given one.
    std::int32_t m_uc = -1;
};

} // namespace address

#endif
