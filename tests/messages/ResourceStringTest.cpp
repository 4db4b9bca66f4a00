#include <gtest/gtest.h>

#include <string>

#include "messages/Module.h"
#include "messages/ResourceString.h"

using tarnClientLib::kModuleName;
using tarnClientLib::ResourceString;

namespace {

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// All four buffers hold text, in four separate buffers.
void ExpectText(const ResourceString& message, const std::string& text) {
    ASSERT_NE(nullptr, message.GetText());
    EXPECT_EQ(text, message.GetText());
    EXPECT_EQ(text, message.GetTextCopy());
    EXPECT_EQ(Wide(text), message.GetWideText());
    EXPECT_EQ(Wide(text), message.GetWideCopy());
    EXPECT_NE(message.GetText(), message.GetTextCopy());
    EXPECT_NE(message.GetWideText(), message.GetWideCopy());
}

void ExpectEmpty(const ResourceString& message) {
    EXPECT_EQ(nullptr, message.GetText());
    EXPECT_EQ(nullptr, message.GetTextCopy());
    EXPECT_EQ(nullptr, message.GetWideText());
    EXPECT_EQ(nullptr, message.GetWideCopy());
}

} // namespace

TEST(ResourceString, LoadsAMessageAsItIs) {
    ExpectText(ResourceString(kModuleName, 90), "Application Success!");
    // Without arguments the placeholders stay.
    ExpectText(ResourceString(kModuleName, 4), "Call to %s failed");
    ExpectText(ResourceString(kModuleName, 71),
               " --- The email server may be down, please try your request again in a little while");
}

TEST(ResourceString, PutsArgumentsIntoTheirPlaceholdersInOrder) {
    ExpectText(ResourceString(kModuleName, 53, "Product Name"),
               "The value provided in the Product Name input argument is missing or invalid");
    ExpectText(ResourceString(kModuleName, 53, nullptr),
               "The value provided in the  input argument is missing or invalid");
    ExpectText(ResourceString(kModuleName, 54, "Public Name", "Public Name"),
               "Public Name field is missing; Please provide a Public Name and try again");
    ExpectText(ResourceString(kModuleName, 4, "a", "b"), "Call to a failed");
    // Placeholders beyond the arguments print nothing; other conversions print as they are.
    ExpectText(ResourceString(kModuleName, 55, "A", "B"),
               "Both A and B fields are missing; Please provide a  and/or a  try again");
    ExpectText(ResourceString(kModuleName, 61, "x"), "Request to edit user information failed:  %d - x");
}

// Only the loaded text is cut at 254 characters (no message is that long);
// the arguments are always kept whole.
TEST(ResourceString, KeepsALongArgumentWhole) {
    const std::string argument(300, 'n');
    ExpectText(ResourceString(kModuleName, 53, argument.c_str()),
               "The value provided in the " + argument + " input argument is missing or invalid");
}

TEST(ResourceString, UnknownIdOrModuleGivesAnEmptyObject) {
    ExpectEmpty(ResourceString(kModuleName, 93));
    ExpectEmpty(ResourceString(kModuleName, 0));
    ExpectEmpty(ResourceString(kModuleName, 93, "a", "b"));
    ExpectEmpty(ResourceString("Other.dll", 1));
    ExpectEmpty(ResourceString(nullptr, 1));
}

TEST(ResourceString, CopiesHaveTheirOwnBuffers) {
    const ResourceString original(kModuleName, 53, "Product Name");
    const ResourceString copy(original);
    ExpectText(copy, original.GetText());
    EXPECT_NE(original.GetText(), copy.GetText());
    EXPECT_NE(original.GetWideText(), copy.GetWideText());

    const ResourceString empty(kModuleName, 93);
    ExpectEmpty(ResourceString(empty));
}

TEST(MessageText, IsTheTextOrNothing) {
    EXPECT_EQ("Unrecognized Tarn Application Error Code.", tarnClientLib::MessageText(89));
    EXPECT_EQ("", tarnClientLib::MessageText(93));
}

