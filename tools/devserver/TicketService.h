// The customer servlet's decision on one ticket request.
#ifndef TARN_TOOLS_DEVSERVER_TICKETSERVICE_H
#define TARN_TOOLS_DEVSERVER_TICKETSERVICE_H

#include <cstdint>
#include <string>

#include "ServiceData.h"

namespace devserver {

struct TicketQuery {
    bool hasContextId = false;
    std::string contextId;
    std::string product;
    std::string publicName;
    std::string password;
    std::string event;
    std::string machine;
    std::string language;
};

// Application status codes of a ticket reply.
enum TicketStatus : std::uint16_t {
    TicketGranted = 0,
    UnknownProduct = 2001,
    UnknownEvent = 2002,
    InvalidPublicName = 2003,
    InvalidPassword = 2004,
    NoSuchAccount = 2005,
    WrongPassword = 2006,
    EventClosed = 2007,
    NotAMember = 2008,
    BadContextId = 2009,
    ServiceUnavailable = 9001,
};

struct TicketDecision {
    std::uint16_t status = TicketGranted;
    std::string account; // the public name the request stands for, when known
};

// Checks, first failure wins: product (2001), event (2002); then with a
// context id its binding (2009), else public name (2003) and password (2004)
// rules, the account (2005) and its password (2006); then the event is open
// (2007) and the account may join it (2008). A request with a context id and
// no product takes the context's product.
TicketDecision DecideTicket(const ServiceData& data, const TicketQuery& query);

// 3 to 30 ASCII letters and digits.
bool IsValidCredential(const std::string& text);

} // namespace devserver

#endif
