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

// The stored identifier; false when there is none. Throws when the value
// cannot be read: an identifier that may exist is never replaced.
bool ReadMachineId(platform::RegKey& key, std::string& text) {
    std::string bytes;
    switch (ReadValueBytes(key, kMachineIdValue, bytes)) {
    case ValueRead::Ok:
        // Whatever was stored, in whatever form, is this machine's identifier.
        text = TextUpToNul(bytes);
        return true;
    case ValueRead::Absent:
        return false;
    case ValueRead::NoMemory:
        vcom::Fail(vcom::OutOfMemory);
    case ValueRead::Unreadable:
        break;
    }
    tarnClientLib::TraceFailed(tarnclient::CallNotReached, "registry: \"%s\" under %s is unreadable", kMachineIdValue, kConfigKey);
    vcom::Fail(vcom::Failure);
}

// A new identifier, written as REG_SZ with its terminator, unless another
// process wrote one first: read and written under one change, so that every
// process ends up with the same identifier.
std::string CreateMachineId() {
    platform::RegTransaction change;
    platform::RegKey key;
    const std::int32_t opened = key.CreateOrOpen(kConfigKey, platform::RegReadWrite, nullptr, change);
    if (opened != platform::RegOk)
        FailWith(opened);
    std::string text;
    if (ReadMachineId(key, text))
        return text;
    if (!platform::NewGuidText(text) || text.empty())
        vcom::Fail(vcom::Failure);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    const std::int32_t written =
        key.SetValue(kMachineIdValue, platform::RegSz, bytes, static_cast<std::uint32_t>(text.size() + 1));
    key.Close();
    const std::int32_t committed = written == platform::RegOk ? change.Commit() : written;
    if (committed != platform::RegOk) {
        tarnClientLib::TraceFailed(tarnclient::CallNotReached, "registry: cannot write \"%s\" under %s", kMachineIdValue, kConfigKey);
        FailWith(committed);
    }
    return text;
}

} // namespace

std::string ReadOrCreateMachineId() {
    std::string text;
    {
        platform::RegKey key;
        const std::int32_t opened = key.CreateOrOpen(kConfigKey, platform::RegReadWrite, nullptr);
        if (opened != platform::RegOk) {
            tarnClientLib::TraceFailed(tarnclient::CallNotReached, "registry: cannot open or create %s for reading and writing", kConfigKey);
            FailWith(opened);
        }
        if (ReadMachineId(key, text))
            return text;
    }
    return CreateMachineId();
}

MachineIdentity::MachineIdentity() {
    std::string text = ReadOrCreateMachineId();
    vcom::ScopedLock guard(m_lock);
    m_machineId.swap(text);
}

char* MachineIdentity::GetMachineId() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_machineId);
}

vcom::IComponent* CreateMachineIdentity(std::int32_t id, std::int32_t* err) {
    return vcom::Create<MachineIdentity>(id, err);
}

} // namespace customer
