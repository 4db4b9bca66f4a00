#include "customer/MachineIdentity.h"

#include "customer/Customer.h"
#include "customer/RegistryValue.h"
#include "messages/Trace.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "vcom/MemHolder.h"

namespace customer {

namespace {

const char kConfigKey[] = "Software\\Orvane\\Tarn\\Config";
const char kMachineIdValue[] = "Machine ID";

// A new identifier, written as REG_SZ with its terminator.
std::string CreateMachineId(platform::RegKey& key) {
    std::string text;
    if (!platform::NewGuidText(text) || text.empty())
        vcom::Fail(vcom::Failure);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    if (key.SetValue(kMachineIdValue, platform::RegSz, bytes, static_cast<std::uint32_t>(text.size() + 1)) !=
        platform::RegOk) {
        tarnClientLib::TraceFailed("registry: cannot write \"%s\" under %s", kMachineIdValue, kConfigKey);
        vcom::Fail(vcom::Failure);
    }
    return text;
}

} // namespace

MachineIdentity::MachineIdentity() {
    std::string text = ReadOrCreate();
    vcom::ScopedLock guard(m_lock);
    m_machineId.swap(text);
}

std::string MachineIdentity::ReadOrCreate() {
    platform::RegKey key;
    if (key.CreateOrOpen(kConfigKey, platform::RegReadWrite, nullptr) != platform::RegOk) {
        tarnClientLib::TraceFailed("registry: cannot open or create %s for reading and writing", kConfigKey);
        vcom::Fail(vcom::Failure);
    }
    std::string bytes;
    switch (ReadValueBytes(key, kMachineIdValue, bytes)) {
    case ValueRead::Ok:
        // Whatever was stored, in whatever form, is this machine's identifier.
        return TextUpToNul(bytes);
    case ValueRead::Absent:
        return CreateMachineId(key);
    case ValueRead::NoMemory:
        vcom::Fail(vcom::OutOfMemory);
    case ValueRead::Unreadable:
        break;
    }
    tarnClientLib::TraceFailed("registry: \"%s\" under %s is unreadable", kMachineIdValue, kConfigKey);
    vcom::Fail(vcom::Failure);
}

char* MachineIdentity::GetMachineId() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_machineId);
}

vcom::IComponent* CreateMachineIdentity(std::int32_t id, std::int32_t* err) {
    return vcom::Create<MachineIdentity>(id, err);
}

} // namespace customer
