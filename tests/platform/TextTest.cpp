#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/Text.h"

using namespace platform;

TEST(Text, AnsiToWideKeepsEveryCharacter) {
    EXPECT_EQ(u"Public Name: abc 123 ~!", AnsiToWide("Public Name: abc 123 ~!"));
    EXPECT_EQ(u"", AnsiToWide(""));
    EXPECT_EQ(u"", AnsiToWide(nullptr));
}

// The registry form of a new random (version 4, RFC 4122 variant) GUID.
TEST(Text, EveryGuidIsNewInTheRegistryForm) {
    std::string first, second;
    ASSERT_TRUE(NewGuidText(first));
    ASSERT_TRUE(NewGuidText(second));
    const std::regex form("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    EXPECT_TRUE(std::regex_match(first, form)) << first;
    EXPECT_NE(first, second);
}
