// Which application errors let the user try again: a host sees only whether
// the prompt comes back, so the whole 16-bit range is checked here.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "customer/TicketReplyRules.h"

namespace customer {
namespace {

TEST(CorrectableCodes, AreExactlyTheListedOnes) {
    const std::vector<std::uint32_t> listed = {1003, 1004, 1007, 2003, 2004, 2005, 2006, 3000, 3001,
                                               3003, 3004, 4000, 4001, 4002, 4003, 4006, 4007};
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code)
        EXPECT_EQ(IsCorrectableError(code), std::count(listed.begin(), listed.end(), code) == 1) << code;
}

} // namespace
} // namespace customer
