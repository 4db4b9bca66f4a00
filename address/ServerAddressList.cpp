#include "address/ServerAddressList.h"

#include <utility>

namespace address {

using tarnclient::IServerAddress;

namespace {

// The element handed to the caller carries a reference of its own, so it
// outlives the list.
IServerAddress* Share(const vcom::ref<IServerAddress>& record) { return vcom::ref<IServerAddress>(record).detach(); }

} // namespace

ServerAddressList::ServerAddressList(ServerRecords&& records) : m_records(std::move(records)) {}

IServerAddress* ServerAddressList::Next(std::int32_t* pos) {
    if (!pos)
        return nullptr;
    vcom::ScopedLock guard(m_lock);
    const std::int32_t at = *pos;
    if (at < 0 || at >= Size())
        return nullptr;
    *pos = at + 1;
    return Share(m_records[static_cast<std::size_t>(at)]);
}

IServerAddress* ServerAddressList::Prev(std::int32_t* pos) {
    if (!pos)
        return nullptr;
    vcom::ScopedLock guard(m_lock);
    const std::int32_t at = *pos;
    if (at <= 0 || at > Size())
        return nullptr;
    *pos = at - 1;
    return Share(m_records[static_cast<std::size_t>(at - 1)]);
}

std::int32_t ServerAddressList::Begin() {
    vcom::ScopedLock guard(m_lock);
    return 0;
}

std::int32_t ServerAddressList::End() {
    vcom::ScopedLock guard(m_lock);
    return Size();
}

bool ServerAddressList::IsEmpty() {
    vcom::ScopedLock guard(m_lock);
    return m_records.empty();
}

std::int32_t ServerAddressList::Count() {
    vcom::ScopedLock guard(m_lock);
    return Size();
}

} // namespace address
