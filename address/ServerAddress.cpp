#include "address/ServerAddress.h"

#include <utility>

#include "address/Address.h"
#include "vcom/Codes.h"
#include "vcom/MemHolder.h"

namespace address {

namespace {

// A text is present when it is non-null and non-empty; blanks count as text.
bool IsPresent(const char* text) { return text != nullptr && *text != '\0'; }

} // namespace

ServerAddress::ServerAddress(const std::string& name, const std::string& address, std::int32_t uc) {
    ServerLocation location;
    if (!SplitLocation(address, location))
        vcom::Fail(vcom::InvalidArgument);
    vcom::ScopedLock guard(m_lock);
    m_name = name;
    m_location = std::move(location);
    m_uc = uc;
}

char* ServerAddress::GetName() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_name);
}

char* ServerAddress::GetAddress() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_location.address);
}

std::int32_t ServerAddress::GetPort() {
    vcom::ScopedLock guard(m_lock);
    return m_location.port;
}

char* ServerAddress::GetHost() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_location.host);
}

std::int32_t ServerAddress::GetUc() {
    vcom::ScopedLock guard(m_lock);
    return m_uc;
}

vcom::IComponent* CreateServerAddress(std::int32_t id, const char* name, const char* address, std::int32_t* err,
                                      std::int32_t uc) {
    if (err)
        *err = vcom::Success;
    if (!IsPresent(name) || !IsPresent(address))
        vcom::Fail(vcom::InvalidArgument);
    return vcom::Create<ServerAddress>(id, err, std::string(name), std::string(address), uc);
}

} // namespace address
