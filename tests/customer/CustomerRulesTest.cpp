// The rules a host cannot reach exactly: the public-name message and which
// application errors let the user try again. The 40-byte prompt fields are
// the login route's test (forty bytes typed, a longer login proposed).
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "customer/TicketArgs.h"
#include "customer/TicketReplyRules.h"
#include "messages/InputException.h"

namespace customer {
namespace {

TEST(CustomerRulesTest, MissingPublicNameRaisesTheLoginInputError) {
    EXPECT_NO_THROW(CheckPublicName(" "));
    try {
        CheckPublicName("");
        FAIL() << "no exception";
    } catch (const tarnClientLib::InputException& error) {
        EXPECT_STREQ(error.GetMessage(), "Public Name field is missing; Please provide a Public Name and try again");
        EXPECT_STREQ(error.GetTitle(), "Login Request Failed");
    }
}

TEST(CustomerRulesTest, CorrectableCodesAreExactlyTheListedOnes) {
    const std::vector<std::uint32_t> listed = {1003, 1004, 1007, 2003, 2004, 2005, 2006, 3000, 3001,
                                               3003, 3004, 4000, 4001, 4002, 4003, 4006, 4007};
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code)
        EXPECT_EQ(IsCorrectableError(code), std::count(listed.begin(), listed.end(), code) == 1) << code;
}

} // namespace
} // namespace customer
