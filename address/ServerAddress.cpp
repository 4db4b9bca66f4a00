#include "address/ServerAddress.h"

#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "address/Address.h"
#include "address/ServerLocation.h"
#include "vcom/Codes.h"

namespace address {

namespace {

// A text is present when it is non-null and non-empty; blanks count as text.
bool IsPresent(const char* text) { return text != nullptr && *text != '\0'; }

constexpr std::size_t MaxText = std::numeric_limits<std::uint32_t>::max() / 2;

} // namespace

ServerAddress::ServerAddress(std::uint32_t nameLength, std::uint32_t addressLength, std::uint32_t hostLength,
                             std::int32_t port, std::int32_t uc)
    : m_nameLength(nameLength), m_addressLength(addressLength), m_hostLength(hostLength), m_port(port), m_uc(uc) {}

vcom::ref<tarnclient::IServerAddress> ServerAddress::Make(std::string_view name, std::string_view address,
                                                        std::int32_t uc) {
    std::size_t colon = 0;
    std::int32_t port = 0;
    if (!SplitHostPort(address, colon, port))
        return {};
    if (name.size() > MaxText || address.size() > MaxText)
        vcom::Fail(vcom::OutOfMemory);
    void* memory = ::operator new(sizeof(ServerAddress) + name.size() + address.size() + 2, std::nothrow);
    if (!memory)
        vcom::Fail(vcom::OutOfMemory);
    auto* record = new (memory) ServerAddress(static_cast<std::uint32_t>(name.size()),
                                              static_cast<std::uint32_t>(address.size()),
                                              static_cast<std::uint32_t>(colon), port, uc);
    char* texts = reinterpret_cast<char*>(record + 1);
    std::memcpy(texts, name.data(), name.size());
    texts[name.size()] = '\0';
    std::memcpy(texts + name.size() + 1, address.data(), address.size());
    texts[name.size() + 1 + address.size()] = '\0';
    return vcom::ref<tarnclient::IServerAddress>::share(record);
}

char* ServerAddress::CopyOut(std::uint32_t offset, std::uint32_t length) const {
    char* copy = static_cast<char*>(TarnClientLib_MemAlloc(length + 1));
    if (copy) {
        std::memcpy(copy, Texts() + offset, length);
        copy[length] = '\0';
    }
    return copy;
}

char* ServerAddress::GetName() { return CopyOut(0, m_nameLength); }

char* ServerAddress::GetAddress() { return CopyOut(m_nameLength + 1, m_addressLength); }

std::int32_t ServerAddress::GetPort() { return m_port; }

char* ServerAddress::GetHost() { return CopyOut(m_nameLength + 1, m_hostLength); }

std::int32_t ServerAddress::GetUc() { return m_uc; }

vcom::IComponent* CreateServerAddress(std::int32_t id, const char* name, const char* address, std::int32_t* err,
                                      std::int32_t uc) {
    if (err)
        *err = vcom::Success;
    if (!IsPresent(name) || !IsPresent(address))
        vcom::Fail(vcom::InvalidArgument);
    const vcom::ref<tarnclient::IServerAddress> record = ServerAddress::Make(name, address, uc);
    if (!record)
        vcom::Fail(vcom::InvalidArgument);
    return record->QueryInterface(id, err);
}

} // namespace address
