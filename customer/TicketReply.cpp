#include "customer/TicketReply.h"

#include "customer/ReportedCode.h"
#include "customer/TicketReplyRules.h"
#include "dead/Records.h"
#include "messages/Trace.h"
#include "vcom/Codes.h"
#include "vcom/MemHolder.h"
#include "vcom/Ref.h"

namespace customer {

namespace {

template <class I>
vcom::ref<I> QueryOrFail(vcom::IComponent* record) {
    std::int32_t err = vcom::Success;
    vcom::ref<I> found = vcom::Query<I>(record, &err);
    if (!found)
        FailWithReported(err);
    return found;
}

} // namespace

TicketReplyContent ReadTicketReply(vcom::IComponent* reply) {
    TicketReplyContent content;
    content.status = QueryOrFail<Dead::IReplyStatus>(reply)->GetStatus();
    vcom::ref<Dead::ITicketReplyFields> fields = QueryOrFail<Dead::ITicketReplyFields>(reply);
    if (content.status != 0) {
        const vcom::LibMemHolder text(fields->GetStatusText());
        tarnClientLib::TraceRefused("server status %u: %s", unsigned{content.status}, text ? text.text() : "");
        return content;
    }
    const vcom::LibMemHolder key(fields->GetKey());
    if (!key)
        vcom::Fail(vcom::OutOfMemory);
    const vcom::LibMemHolder lifetime(fields->GetLifetime());
    if (!lifetime)
        vcom::Fail(vcom::OutOfMemory);
    content.key = std::string(key.text());
    content.lifetime = LifetimeValue(lifetime.text());
    return content;
}

} // namespace customer
