#include <cstdint>

#include <nlohmann/json.hpp>

#include "CodeTexts.h"
#include "Commands.h"
#include "ConsoleLogin.h"
#include "Interrupt.h"
#include "LibText.h"
#include "ShownText.h"
#include "ToolError.h"
#include "WaitNotice.h"

namespace tarn {

int ObtainTicket(Library& library, const TicketQuery& query, const Output& output) {
    Ref<tarnclient::ICustomerManager> manager = library.CustomerManager();
    ConsoleInput input;
    ConsoleLogin login(input, query.attempts);
    char* ticket = nullptr;
    const std::int32_t result = [&] {
        const CancelOnInterrupt cancel(*Library::Control(*manager));
        // The prompt shows its own questions; the notice only covers a context id's exchange.
        const WaitNotice notice(query.contextId.empty() ? std::string() : library.Where());
        return manager->GetTicket(query.product.c_str(), query.event.c_str(),
                                  query.contextId.empty() ? nullptr : query.contextId.c_str(),
                                  query.language.empty() ? nullptr : query.language.c_str(), 0, &login, &ticket);
    }();
    const std::string key = TakeText(ticket);

    if (result == 0) {
        if (output.json)
            output.out << JsonText({{"ticket", key}}) << '\n';
        else
            output.out << "ticket " << Shown(key) << '\n';
        return ExitSuccess;
    }
    std::string text = "no ticket for product " + query.product + ", event " + query.event + ": ";
    if (result == ConsoleLogin::GaveUp) {
        text += login.GaveUpReason();
        if (login.LastError() == 0)
            throw ToolError(text, ExitNotFound);
        throw ToolError(text + " (last: " + AppErrorText(login.LastError()) + ")", ExitRefused);
    }
    if (login.PendingError() != 0)
        throw ToolError(text + "the server refused it, " + AppErrorText(login.PendingError()), ExitRefused);
    throw Library::Failure(text + "the request failed, " + ResultText(result), *manager,
                           result == vcom::Failure ? "is the server running and reachable?" : "");
}

} // namespace tarn
