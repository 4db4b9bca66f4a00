// What a ticket exchange takes from the decoded TicketReply record.
#ifndef TARN_CUSTOMER_TICKETREPLY_H
#define TARN_CUSTOMER_TICKETREPLY_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>

#include "messages/SecretText.h"

namespace customer {

struct TicketReplyContent {
    std::uint16_t status = 0; // the application status; 0 is success
    tarnClientLib::SecretText key; // the ticket; only with status 0
    long lifetime = 0;        // only with status 0; never handed to the host
};

// Reads the status (traced when it is not 0), and with status 0 the "key"
// and "lifetime" fields. Throws the code of a refused interface query, or
// -4 when a field is missing.
TicketReplyContent ReadTicketReply(vcom::IComponent& reply);

} // namespace customer

#endif
