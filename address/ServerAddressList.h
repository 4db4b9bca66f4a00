// The servers of one query, in the order the address server gave them.
//
// A position is an index: Begin() is 0, End() is Count(). Next and Prev check
// the index they are given against both ends before touching the list, so no
// position value, however hostile, reads outside it.
#ifndef TARN_ADDRESS_SERVERADDRESSLIST_H
#define TARN_ADDRESS_SERVERADDRESSLIST_H

#include <cstdint>
#include <vector>

#include <tarnclient/TarnClient.h>

#include "vcom/Component.h"
#include "vcom/CriticalSection.h"
#include "vcom/Ref.h"

namespace address {

using ServerRecords = std::vector<vcom::ref<tarnclient::IServerAddress>>;

class ServerAddressList
    : public vcom::Component<ServerAddressList, vcom::Iface<tarnclient::IServerAddressList>> {
public:
    // Takes over the records' references; the list's destruction gives them
    // back in list order (elements the host still holds live on).
    explicit ServerAddressList(ServerRecords&& records);

    tarnclient::IServerAddress* Next(std::int32_t* pos) override;
    tarnclient::IServerAddress* Prev(std::int32_t* pos) override;
    std::int32_t Begin() override;
    std::int32_t End() override;
    bool IsEmpty() override;
    std::int32_t Count() override;

private:
    std::int32_t Size() const { return static_cast<std::int32_t>(m_records.size()); }

    vcom::CriticalSection m_lock;
    ServerRecords m_records;
};

} // namespace address

#endif
