// One ticket request on the wire: the CustomerRequest record built from the
// captured arguments, POSTed to the "Get Ticket" servlet, and the decoded
// reply record that comes back.
#ifndef TARN_CUSTOMER_TICKETREQUEST_H
#define TARN_CUSTOMER_TICKETREQUEST_H

#include <cstdint>
#include <string>

#include "customer/TicketArgs.h"
#include "dead/Message.h"
#include "messages/SecretText.h"
#include "platform/Wait.h"
#include "vcom/Ref.h"

namespace customer {

// Where the servlets live and who is asking.
struct TicketRequestSender {
    std::string host;
    std::int32_t port = 0;
    std::string path; // "/" + the "Get Ticket" servlet name
};

// What the request carries besides the arguments.
struct TicketRequestLogin {
    std::string publicName;
    tarnClientLib::SecretText password;
    std::string machineId;
};

// A new CustomerRequest record. Throws the code the factory reported.
vcom::ref<Dead::IMessage> NewTicketRequest(const GetTicketArgs& args, const TicketRequestLogin& login);

// Sends request within the call's limits and returns the decoded reply
// record. Throws -1 when the exchange fails. The caller holds its own lock
// around this call.
vcom::ref<Dead::IMessage> SendTicketRequest(const TicketRequestSender& sender, vcom::ref<Dead::IMessage> request,
                                            const platform::WaitLimits& call);

} // namespace customer

#endif
