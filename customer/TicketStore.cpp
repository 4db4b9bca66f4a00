#include "customer/TicketStore.h"

namespace customer {

void TicketStore::Put(const std::string& product, const std::string& eventName, const std::string& ticket) {
    m_tickets[Key(product, eventName)] = std::string(ticket);
}

const std::string* TicketStore::Find(const std::string& product, const std::string& eventName) const {
    const auto found = m_tickets.find(Key(product, eventName));
    return found == m_tickets.end() ? nullptr : &found->second.Reveal();
}

bool TicketStore::Remove(const std::string& product, const std::string& eventName) {
    return m_tickets.erase(Key(product, eventName)) != 0;
}

} // namespace customer
