// Tickets that hosts put aside for a later GetTicket, by (product, event name).
#ifndef TARN_CUSTOMER_TICKETSTORE_H
#define TARN_CUSTOMER_TICKETSTORE_H

#include <map>
#include <string>
#include <utility>

#include "messages/SecretText.h"

namespace customer {

class TicketStore {
public:
    // product is the upper-cased form; eventName is kept as given, so event
    // names are case-sensitive. A key holds at most one ticket: the latest.
    void Put(const std::string& product, const std::string& eventName, const std::string& ticket);

    // The stored ticket, or null.
    const std::string* Find(const std::string& product, const std::string& eventName) const;

    // False when nothing was stored under the key.
    bool Remove(const std::string& product, const std::string& eventName);

private:
    // std::string compares byte by byte as unsigned values, a prefix first;
    // pairs compare product first.
    using Key = std::pair<std::string, std::string>;
    std::map<Key, tarnClientLib::SecretText> m_tickets;
};

} // namespace customer

#endif
