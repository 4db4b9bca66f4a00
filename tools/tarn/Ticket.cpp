#include <cstdint>

#include "CodeTexts.h"
#include "Commands.h"
#include "ConsoleLogin.h"
#include "LibText.h"
#include "ToolError.h"

namespace tarn {

int ObtainTicket(Library& library, const TicketQuery& query, std::ostream& out) {
    Ref<tarnclient::ICustomerManager> manager = library.CustomerManager();
    ConsoleInput input;
    ConsoleLogin login(input, query.attempts);
    char* ticket = nullptr;
    const std::int32_t result = manager->GetTicket(
        query.product.c_str(), query.event.c_str(), query.contextId.empty() ? nullptr : query.contextId.c_str(),
        query.language.empty() ? nullptr : query.language.c_str(), 0, &login, &ticket);
    const std::string key = TakeText(ticket);

    if (result == 0) {
        out << "ticket " << key << '\n';
        return 0;
    }
    std::string text = "no ticket for product " + query.product + ", event " + query.event + ": ";
    if (result == ConsoleLogin::GaveUp)
        text += login.GaveUpReason();
    else if (login.PendingError() != 0)
        text += "the server refused it, " + AppErrorText(login.PendingError());
    else
        text += "the request failed, " + ResultText(result) +
                (result == vcom::Failure ? "; is the server running and reachable?" : "");
    if (result == ConsoleLogin::GaveUp && login.LastError() != 0)
        text += " (last: " + AppErrorText(login.LastError()) + ")";
    throw ToolError(text);
}

} // namespace tarn
