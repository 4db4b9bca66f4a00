#include "customer/TicketArgs.h"

#include "messages/InputException.h"
#include "messages/Module.h"
#include "messages/ResourceString.h"

namespace customer {

namespace {

const unsigned kMissingFieldMessage = 54; // "%s field is missing; Please provide a %s and try again"
const unsigned kLoginFailedTitle = 65;    // "Login Request Failed"
const char kPublicNameField[] = "Public Name";

const char* TextOrEmpty(const char* text) { return text ? text : ""; }

} // namespace

void CheckPublicName(const std::string& publicName) {
    if (!publicName.empty())
        return;
    const tarnClientLib::ResourceString message(tarnClientLib::kModuleName, kMissingFieldMessage, kPublicNameField,
                                                kPublicNameField);
    const tarnClientLib::ResourceString title(tarnClientLib::kModuleName, kLoginFailedTitle);
    throw tarnClientLib::InputException(TextOrEmpty(message.GetText()), TextOrEmpty(title.GetText()));
}

} // namespace customer
