#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/Text.h"

using namespace platform;

TEST(Text, AnsiToWideKeepsEveryCharacter) {
    EXPECT_EQ(u"Public Name: abc 123 ~!", AnsiToWide("Public Name: abc 123 ~!"));
    EXPECT_EQ(u"", AnsiToWide(""));
    EXPECT_EQ(u"", AnsiToWide(nullptr));
}

TEST(Text, GuidTextHasTheRegistryForm) {
    std::string guid;
    ASSERT_TRUE(NewGuidText(guid));
    ASSERT_EQ(38u, guid.size()) << guid;
    EXPECT_EQ('{', guid.front());
    EXPECT_EQ('}', guid.back());
    for (std::size_t i = 1; i < 37; ++i) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            EXPECT_EQ('-', guid[i]) << guid;
        } else {
            EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(guid[i]))) << guid;
            EXPECT_FALSE(std::islower(static_cast<unsigned char>(guid[i]))) << guid;
        }
    }
    // A random (version 4) GUID of the RFC 4122 variant.
    EXPECT_EQ('4', guid[15]) << guid;
    EXPECT_NE(std::string::npos, std::string("89AB").find(guid[20])) << guid;
}

TEST(Text, EveryGuidIsNew) {
    std::string first, second;
    ASSERT_TRUE(NewGuidText(first));
    ASSERT_TRUE(NewGuidText(second));
    EXPECT_NE(first, second);
}
