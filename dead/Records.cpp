#include "dead/Records.h"

#include "dead/RecordBase.h"

namespace Dead {

std::int32_t KindInterfaceId(std::uint16_t minorId) {
    switch (minorId) {
    case AddressRequestKind: return IAddressRequestFields::Id;
    case AddressReplyKind: return IAddressReplyFields::Id;
    case CustomerRequestKind: return ICustomerRequestFields::Id;
    case TicketReplyKind: return ITicketReplyFields::Id;
    default: return 0;
    }
}

vcom::IComponent* CreateRecord(std::uint16_t minorId, std::int32_t id, std::int32_t* err) {
    std::int32_t local = vcom::Success;
    std::int32_t& code = err ? *err : local;
    code = vcom::Success;
    vcom::IComponent* record = nullptr;
    switch (minorId) {
    case AddressRequestKind: record = NewAddressRequest(); break;
    case AddressReplyKind: record = NewAddressReply(); break;
    case CustomerRequestKind: record = NewCustomerRequest(); break;
    case TicketReplyKind: record = NewTicketReply(); break;
    default: code = vcom::Failure; return nullptr;
    }
    if (!record) {
        code = vcom::OutOfMemory;
        return nullptr;
    }
    return vcom::Deliver(record, id, &code);
}

} // namespace Dead
