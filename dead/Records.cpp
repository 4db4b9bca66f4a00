#include "dead/Records.h"

#include "dead/RecordBase.h"
#include "messages/ResourceString.h"
#include "messages/Trace.h"
#include "vcom/Ref.h"

namespace Dead {

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

std::uint16_t ReadReplyStatus(vcom::IComponent& reply) {
    std::int32_t err = vcom::Success;
    const vcom::ref<IReplyStatus> status = vcom::Query<IReplyStatus>(&reply, &err);
    if (!status)
        vcom::Fail(err < 0 ? err : vcom::Failure);
    const std::uint16_t code = status->GetStatus();
    if (code == 0)
        return code;
    // Whatever kind came back, its own table gives the text.
    std::string text;
    if (reply.Supports(IAddressReplyFields::Id))
        text = tarnClientLib::MessageText(AddressReplyStatusMessage(code));
    else if (reply.Supports(ITicketReplyFields::Id))
        text = tarnClientLib::MessageText(TicketReplyStatusMessage(code));
    if (text.empty())
        tarnClientLib::TraceRefused("server status %u", unsigned{code});
    else
        tarnClientLib::TraceRefused("server status %u: %s", unsigned{code}, text.c_str());
    return code;
}

} // namespace Dead
