#include "address/AddressConfig.h"

#include <memory>
#include <new>
#include <optional>

#include "address/Address.h"
#include "messages/Trace.h"
#include "platform/Registry.h"
#include "vcom/MemHolder.h"
#include "vcom/ProcessWide.h"

namespace address {

namespace {

const char kConfigKey[] = "Software\\Orvane\\Tarn\\Config";
const char kAddressValue[] = "QAS Address";

// The process's one location, made by the first call that succeeds, and the
// lock that serialises making it.
struct Configuration {
    vcom::CriticalSection lock;
    std::optional<AddressConfig> config;
};

} // namespace

AddressConfig::AddressConfig(const std::string& serverAddress) {
    const std::string text = serverAddress.empty() ? ReadRegistryAddress() : serverAddress;
    ServerLocation location;
    if (!SplitLocation(text, location)) {
        tarnClientLib::TraceFailed(tarnclient::CallNotReached, "server location \"%s\" is not <IP Address>:<Port>", text.c_str());
        vcom::Fail(vcom::InvalidArgument);
    }
    vcom::ScopedLock guard(m_lock);
    m_location = location;
}

std::string AddressConfig::ReadRegistryAddress() {
    platform::RegKey key;
    std::uint32_t size = 0;
    if (key.Open(kConfigKey, platform::RegRead) != platform::RegOk ||
        key.QueryValue(kAddressValue, nullptr, nullptr, &size) != platform::RegOk) {
        tarnClientLib::TraceFailed(tarnclient::CallNotReached, "no server location given, and the registry holds no \"%s\" under %s",
                                   kAddressValue, kConfigKey);
        vcom::Fail(vcom::Failure);
    }
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size ? size : 1]);
    if (!buffer)
        vcom::Fail(vcom::OutOfMemory);
    if (key.QueryValue(kAddressValue, nullptr, buffer.get(), &size) != platform::RegOk)
        vcom::Fail(vcom::Failure);
    // The stored type is ignored: the text runs to the first NUL or the end of the data.
    const char* text = reinterpret_cast<const char*>(buffer.get());
    std::string::size_type length = 0;
    while (length < size && text[length] != '\0')
        ++length;
    return std::string(text, length);
}

std::int32_t AddressConfig::Release() {
    --m_refs;
    return 0;
}

char* AddressConfig::GetAddress() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_location.address);
}

char* AddressConfig::GetHost() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_location.host);
}

std::int32_t AddressConfig::GetPort() {
    vcom::ScopedLock guard(m_lock);
    return m_location.port;
}

vcom::IComponent* GetConfiguration(std::int32_t id, std::int32_t* err, const char* serverAddress) {
    const std::string text = serverAddress ? serverAddress : "";
    Configuration& shared = vcom::ProcessWide<Configuration>();
    AddressConfig* config = nullptr;
    {
        vcom::ScopedLock guard(shared.lock);
        // A failed construction leaves nothing behind, so the next call tries again.
        if (!shared.config)
            shared.config.emplace(text);
        config = &*shared.config;
    }
    // The query stores 0 first, so a caller never sees "exists with another address".
    return vcom::Deliver(config->Primary(), id, err);
}

} // namespace address
