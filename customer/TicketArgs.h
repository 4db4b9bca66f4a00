// The arguments of the ticket operations, checked and captured before
// anything else happens. Only the product is copied (upper-cased); the other
// texts are borrowed from the caller for the duration of the call.
#ifndef TARN_CUSTOMER_TICKETARGS_H
#define TARN_CUSTOMER_TICKETARGS_H

#include <string>

#include <tarnclient/TarnClient.h>

namespace customer {

// A text argument is present when it is non-null and not empty.
bool IsPresent(const char* text);

// (product, event name[, context id]) of PutTicket, RemoveTicket and GetTicket.
class TicketArgs {
public:
    // Throws -5 when the event name is absent or when product and context id
    // both are, -4 when the product cannot be copied.
    TicketArgs(const char* product, const char* eventName, const char* contextId);

    bool HasProduct() const { return m_hasProduct; }
    // Upper-cased (a to z only); empty when absent.
    const std::string& Product() const { return m_product; }
    // For the request record, which skips a null product.
    const char* ProductOrNull() const { return m_hasProduct ? m_product.c_str() : nullptr; }
    const char* EventName() const { return m_eventName; }
    bool HasContextId() const { return IsPresent(m_contextId); }
    const char* ContextId() const { return m_contextId; }

private:
    std::string m_product;
    bool m_hasProduct = false;
    const char* m_eventName;
    const char* m_contextId;
};

// GetTicket's arguments: the ticket arguments, the language (never checked),
// the route flag and the host's callback (no reference is taken).
class GetTicketArgs : public TicketArgs {
public:
    // As TicketArgs, and -5 for a null callback.
    GetTicketArgs(const char* product, const char* eventName, const char* contextId, const char* language,
                  bool useStoredTicket, tarnclient::IDisplayCallback* callback);

    // The same request carrying another context id (the one a login prompt returned).
    GetTicketArgs WithContextId(const char* contextId) const;

    const char* Language() const { return m_language; }
    bool UseStoredTicket() const { return m_useStoredTicket; }
    tarnclient::IDisplayCallback* Callback() const { return m_callback; }

private:
    const char* m_language;
    bool m_useStoredTicket;
    tarnclient::IDisplayCallback* m_callback;
};

// Before a login exchange: raises tarnClientLib::InputException (message 54
// naming "Public Name" twice, title 65) when publicName is empty.
void CheckPublicName(const std::string& publicName);

} // namespace customer

#endif
