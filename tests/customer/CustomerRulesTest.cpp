// The rules a host cannot reach exactly: the public-name message, which
// application errors let the user try again, and the 40-byte prompt fields.
#include <algorithm>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "customer/PromptText.h"
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

TEST(CustomerRulesTest, PromptTextIsCutToThirtyNineAndNeverWrittenBeyondItsField) {
    struct {
        char field[kPromptFieldSize];
        char guard[8];
    } area;
    for (std::size_t length : {5u, 39u, 40u, 100u}) {
        std::memset(&area, 'x', sizeof area);
        SetPromptText(area.field, std::string(length, 'n'));
        EXPECT_EQ(PromptText(area.field), std::string(std::min<std::size_t>(length, 39), 'n')) << length;
        EXPECT_EQ(std::string(area.guard, sizeof area.guard), std::string(8, 'x')) << length;
    }
    std::memset(&area, 'x', sizeof area);
    SetPromptText(area.field, "alice");
    EXPECT_EQ(area.field[6], 'x'); // nothing after the terminator
    std::memset(area.field, 'p', kPromptFieldSize);
    EXPECT_EQ(PromptText(area.field), std::string(40, 'p'));
}

} // namespace
} // namespace customer
