#include "TicketService.h"

#include <algorithm>
#include <cctype>

namespace devserver {

bool IsValidCredential(const std::string& text) {
    return text.size() >= 3 && text.size() <= 30 && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0;
           });
}

namespace {

// The account a context id stands for; null when it is unknown, expired or
// bound to another product.
const Account* ContextAccount(const ServiceData& data, const ContextId* context, const Product& product) {
    if (!context || context->expired)
        return nullptr;
    if (!context->product.empty() && !SameIgnoringCase(context->product, product.name))
        return nullptr;
    return data.FindAccount(context->account);
}

} // namespace

TicketDecision DecideTicket(const ServiceData& data, const TicketQuery& query) {
    TicketDecision decision;
    const ContextId* context = query.hasContextId ? data.FindContext(query.contextId) : nullptr;
    std::string productName = query.product;
    if (productName.empty() && context)
        productName = context->product;

    const Product* product = data.FindProduct(productName);
    if (!product) {
        decision.status = UnknownProduct;
        return decision;
    }
    const Event* event = FindEvent(*product, query.event);
    if (!event) {
        decision.status = UnknownEvent;
        return decision;
    }

    const Account* account = nullptr;
    if (query.hasContextId) {
        account = ContextAccount(data, context, *product);
        if (!account) {
            decision.status = BadContextId;
            return decision;
        }
    } else {
        decision.account = query.publicName;
        if (!IsValidCredential(query.publicName))
            decision.status = InvalidPublicName;
        else if (!IsValidCredential(query.password))
            decision.status = InvalidPassword;
        else if (!(account = data.FindAccount(query.publicName)))
            decision.status = NoSuchAccount;
        else if (account->password != query.password)
            decision.status = WrongPassword;
        if (decision.status != TicketGranted)
            return decision;
    }
    decision.account = account->publicName;
    if (!event->open)
        decision.status = EventClosed;
    else if (!MayJoin(*event, account->publicName))
        decision.status = NotAMember;
    return decision;
}

} // namespace devserver
