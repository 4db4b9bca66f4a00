#include "customer/TicketArgs.h"

#include "messages/Trace.h"
#include "vcom/Codes.h"

namespace customer {

namespace {

// Byte by byte, a to z only: the result must not depend on a locale.
void UpperCaseAscii(std::string& text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
}

// A refused argument: why, then -5.
[[noreturn]] void Refuse(const char* why) {
    tarnClientLib::TraceFailed(tarnclient::CallBadArgument, "%s", why);
    vcom::Fail(vcom::InvalidArgument);
}

} // namespace

bool IsPresent(const char* text) { return text != nullptr && text[0] != '\0'; }

TicketArgs::TicketArgs(const char* product, const char* eventName, const char* contextId)
    : m_eventName(eventName), m_contextId(contextId) {
    if (!IsPresent(eventName))
        Refuse("no event name given");
    if (!IsPresent(product) && !IsPresent(contextId))
        Refuse("neither a product nor a context id given");
    if (IsPresent(product)) {
        m_product = product;
        UpperCaseAscii(m_product);
        m_hasProduct = true;
    }
}

GetTicketArgs::GetTicketArgs(const char* product, const char* eventName, const char* contextId,
                             const char* language, bool useStoredTicket, tarnclient::IDisplayCallback* callback)
    : TicketArgs(product, eventName, contextId), m_language(language), m_useStoredTicket(useStoredTicket),
      m_callback(callback) {
    if (!callback)
        Refuse("no login callback given");
}

GetTicketArgs GetTicketArgs::WithContextId(const char* contextId) const {
    return GetTicketArgs(ProductOrNull(), EventName(), contextId, m_language, m_useStoredTicket, m_callback);
}

} // namespace customer
