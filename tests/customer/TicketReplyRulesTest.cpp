// Which application errors let the user try again, and the lifetime text.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "customer/TicketReplyRules.h"

namespace customer {
namespace {

TEST(TicketReplyRulesTest, CorrectableCodesAreExactlyTheListedOnes) {
    const std::vector<std::uint32_t> listed = {1003, 1004, 1007, 2003, 2004, 2005, 2006, 3000, 3001,
                                               3003, 3004, 4000, 4001, 4002, 4003, 4006, 4007};
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        const bool expected = std::find(listed.begin(), listed.end(), code) != listed.end();
        EXPECT_EQ(IsCorrectableError(code), expected) << code;
    }
}

TEST(TicketReplyRulesTest, LifetimeIsReadLikeADecimalNumber) {
    EXPECT_EQ(LifetimeValue("3600"), 3600);
    EXPECT_EQ(LifetimeValue("  +42s"), 42);
    EXPECT_EQ(LifetimeValue("\t-7"), -7);
    EXPECT_EQ(LifetimeValue("0x10"), 0);
    EXPECT_EQ(LifetimeValue("soon"), 0);
    EXPECT_EQ(LifetimeValue(""), 0);
}

} // namespace
} // namespace customer
