#include "customer/TicketReply.h"

#include "customer/ReportedCode.h"
#include "customer/TicketReplyRules.h"
#include "dead/Records.h"
#include "vcom/Codes.h"
#include "vcom/Ref.h"

namespace customer {

TicketReplyContent ReadTicketReply(vcom::IComponent& reply) {
    TicketReplyContent content;
    // The status first, whatever kind of record came back; the ticket's own
    // interface only once the status says there is a ticket.
    content.status = Dead::ReadReplyStatus(reply);
    if (content.status != 0)
        return content;
    std::int32_t err = vcom::Success;
    const vcom::ref<Dead::ITicketReplyFields> fields = vcom::Query<Dead::ITicketReplyFields>(&reply, &err);
    if (!fields)
        FailWithReported(err);
    const std::string* key = Dead::LendKey(*fields);
    const std::string* lifetime = Dead::LendLifetime(*fields);
    if (!key || !lifetime)
        vcom::Fail(vcom::OutOfMemory);
    content.key = *key;
    content.lifetime = LifetimeValue(lifetime->c_str());
    return content;
}

} // namespace customer
