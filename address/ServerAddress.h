// One server as the address server reported it: name, "<IP Address>:<Port>"
// and its uc number, with the address split into host and port up front so a
// host program can connect without parsing.
//
// A lookup may make 100,000 of these, so each is one allocation: the fields,
// then the name and the address texts right behind them. Nothing changes
// after construction, so reading takes no lock.
#ifndef TARN_ADDRESS_SERVERADDRESS_H
#define TARN_ADDRESS_SERVERADDRESS_H

#include <cstdint>
#include <string_view>

#include <tarnclient/TarnClient.h>

#include "vcom/Component.h"
#include "vcom/Ref.h"

namespace address {

class ServerAddress final : public vcom::Component<ServerAddress, vcom::Iface<tarnclient::IServerAddress>> {
public:
    // A new record; empty when address has no ':'. Throws OutOfMemory when
    // it cannot be allocated.
    static vcom::ref<tarnclient::IServerAddress> Make(std::string_view name, std::string_view address,
                                                      std::int32_t uc);

    // Pairs with the allocation of New, whatever the texts' size.
    static void operator delete(void* p) { ::operator delete(p); }

    char* GetName() override;
    char* GetAddress() override;
    std::int32_t GetPort() override;
    char* GetHost() override;
    std::int32_t GetUc() override;

private:
    ServerAddress(std::uint32_t nameLength, std::uint32_t addressLength, std::uint32_t hostLength, std::int32_t port,
                  std::int32_t uc);

    // The name, a NUL, the address, a NUL.
    const char* Texts() const { return reinterpret_cast<const char*>(this + 1); }
    char* CopyOut(std::uint32_t offset, std::uint32_t length) const;

    const std::uint32_t m_nameLength;
    const std::uint32_t m_addressLength;
    const std::uint32_t m_hostLength; // the address before its first ':'
    const std::int32_t m_port;
    // The record never invents a uc: it is the given one from construction on.
    const std::int32_t m_uc;
};

} // namespace address

#endif
