// Which application errors let the user try again, at the edges of every
// range of correctable codes: a host sees only whether the prompt comes back.
#include <gtest/gtest.h>

#include "customer/TicketReplyRules.h"

namespace customer {
namespace {

TEST(CorrectableCodes, EndWhereTheirRangesEnd) {
    const struct {
        std::uint32_t first, last; // correctable, with the codes on either side not
    } ranges[] = {{.first = 1003, .last = 1004}, {.first = 1007, .last = 1007}, {.first = 2003, .last = 2006},
                  {.first = 3000, .last = 3001}, {.first = 3003, .last = 3004}, {.first = 4000, .last = 4003},
                  {.first = 4006, .last = 4007}};
    for (const auto& range : ranges) {
        SCOPED_TRACE(range.first);
        EXPECT_FALSE(IsCorrectableError(range.first - 1));
        EXPECT_TRUE(IsCorrectableError(range.first));
        EXPECT_TRUE(IsCorrectableError(range.last));
        EXPECT_FALSE(IsCorrectableError(range.last + 1));
    }
    for (std::uint32_t code : {0u, 2001u, 2002u, 2007u, 2008u, 2009u, 9001u, 0xFFFFu})
        EXPECT_FALSE(IsCorrectableError(code)) << code;
}

} // namespace
} // namespace customer
