// Texts in and out of the 40-byte fields of a LoginPrompt.
#include <cstring>

#include <gtest/gtest.h>

#include "customer/PromptText.h"

namespace customer {
namespace {

// A field with a guard after it, as publicName is followed by password.
struct GuardedField {
    char field[kPromptFieldSize];
    char guard[8];
};

class PromptTextTest : public testing::Test {
protected:
    PromptTextTest() {
        std::memset(&m_area, 'x', sizeof m_area);
    }
    bool GuardIntact() const {
        for (char c : m_area.guard)
            if (c != 'x')
                return false;
        return true;
    }
    GuardedField m_area;
};

TEST_F(PromptTextTest, ShortTextIsCopiedWithItsTerminator) {
    SetPromptText(m_area.field, "alice");
    EXPECT_STREQ(m_area.field, "alice");
    EXPECT_EQ(m_area.field[6], 'x'); // nothing written after the terminator
    EXPECT_TRUE(GuardIntact());
}

TEST_F(PromptTextTest, TextIsCutToThirtyNineCharacters) {
    for (std::size_t length : {39u, 40u, 41u, 100u}) {
        std::memset(&m_area, 'x', sizeof m_area);
        SetPromptText(m_area.field, std::string(length, 'n'));
        EXPECT_EQ(std::string(m_area.field), std::string(39, 'n')) << length;
        EXPECT_TRUE(GuardIntact()) << length;
    }
}

TEST_F(PromptTextTest, FieldIsReadUpToItsTerminatorOrItsEnd) {
    SetPromptText(m_area.field, "bob");
    EXPECT_EQ(PromptText(m_area.field), "bob");
    std::memset(m_area.field, 'p', kPromptFieldSize);
    EXPECT_EQ(PromptText(m_area.field), std::string(40, 'p'));
    m_area.field[0] = '\0';
    EXPECT_EQ(PromptText(m_area.field), "");
}

} // namespace
} // namespace customer
