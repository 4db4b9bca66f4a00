// Messages from the string table, with their arguments put in. The texts
// themselves are checked against the list in tests/platform.
#include <gtest/gtest.h>

#include <string>

#include "messages/Module.h"
#include "messages/ResourceString.h"

using tarnClientLib::kModuleName;
using tarnClientLib::ResourceString;

namespace {

// The text; "<empty>" when the object holds none. (The copies and wide forms
// have no caller.)
std::string TextOf(const ResourceString& message) { return message.GetText() ? message.GetText() : "<empty>"; }

TEST(ResourceString, PutsArgumentsIntoTheirPlaceholdersInOrder) {
    const std::string longArgument(300, 'n'); // only the loaded text is cut, never an argument
    const struct {
        ResourceString message;
        std::string text;
    } cases[] = {
        // Without arguments the placeholders stay.
        {.message = ResourceString(kModuleName, 4), .text = "Call to %s failed"},
        {.message = ResourceString(kModuleName, 53, "Product Name"),
         .text = "The value provided in the Product Name input argument is missing or invalid"},
        {.message = ResourceString(kModuleName, 53, nullptr),
         .text = "The value provided in the  input argument is missing or invalid"},
        {.message = ResourceString(kModuleName, 53, longArgument.c_str()),
         .text = "The value provided in the " + longArgument + " input argument is missing or invalid"},
        {.message = ResourceString(kModuleName, 4, "a", "b"), .text = "Call to a failed"},
        // Placeholders beyond the arguments print nothing; other conversions print as they are.
        {.message = ResourceString(kModuleName, 55, "A", "B"),
         .text = "Both A and B fields are missing; Please provide a  and/or a  try again"},
        {.message = ResourceString(kModuleName, 61, "x"), .text = "Request to edit user information failed:  %d - x"},
        // Unknown ids and modules (StringTableTest) leave the message empty.
        {.message = ResourceString(kModuleName, 93), .text = "<empty>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextOf(c.message), c.text);
}

} // namespace
