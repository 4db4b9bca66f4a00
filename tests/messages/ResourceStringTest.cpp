// Messages from the string table with their arguments put in, as the library
// builds them for its trace: 53 names a missing selector, 54 a missing public
// name. (53 with a selector's name: the host call control table.)
#include <gtest/gtest.h>

#include <string>

#include "messages/Module.h"
#include "messages/ResourceString.h"

using tarnClientLib::kModuleName;
using tarnClientLib::ResourceString;

namespace {

TEST(ResourceString, PutsArgumentsIntoTheirPlaceholdersInOrder) {
    const std::string longArgument(300, 'n'); // only the loaded text is cut, never an argument
    const struct {
        ResourceString message;
        std::string text;
    } cases[] = {
        {.message = ResourceString(kModuleName, 53, longArgument.c_str()),
         .text = "The value provided in the " + longArgument + " input argument is missing or invalid"},
        {.message = ResourceString(kModuleName, 54, "Public Name", "Public Name"),
         .text = "Public Name field is missing; Please provide a Public Name and try again"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.message.GetText() ? c.message.GetText() : "<empty>", c.text);
}

} // namespace
