// TicketReply (1, 4): the customer servlets' answer, a status and the fields
// "key" and "lifetime".
#include "dead/RecordBase.h"

namespace Dead {

namespace {

class TicketReply : public ReplyRecord<TicketReply, ITicketReplyFields> {
public:
    TicketReply() : ReplyRecord(TicketReplyKind) {}

    static unsigned StatusMessage(std::uint16_t status) { return TicketReplyStatusMessage(status); }

    std::int32_t SetKey(const char* text) override { return Set("key", text); }
    char* GetKey() override { return Get("key"); }
    std::int32_t SetLifetime(const char* text) override { return Set("lifetime", text); }
    char* GetLifetime() override { return Get("lifetime"); }
};

} // namespace

// 0: 90; 2001..2008: 80..87; 2009: 92; any other (9001 included): 89.
unsigned TicketReplyStatusMessage(std::uint16_t status) {
    if (status == 0)
        return 90;
    if (status >= 2001 && status <= 2008)
        return 80u + (status - 2001u);
    if (status == 2009)
        return 92;
    return 89;
}

vcom::IComponent* NewTicketReply() { return NewRecord<TicketReply>(); }

// TicketReply is the one implementation of its kind interface.
const std::string* LendKey(ITicketReplyFields& reply) { return static_cast<TicketReply&>(reply).Lend("key"); }

const std::string* LendLifetime(ITicketReplyFields& reply) {
    return static_cast<TicketReply&>(reply).Lend("lifetime");
}

} // namespace Dead
