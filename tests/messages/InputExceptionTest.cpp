#include <gtest/gtest.h>

#include <string>

#include "messages/InputException.h"

using tarnClientLib::InputException;

namespace {

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

void ExpectTexts(const InputException& e, const std::string& message, const std::string& title) {
    ASSERT_NE(nullptr, e.GetMessage());
    ASSERT_NE(nullptr, e.GetTitle());
    EXPECT_EQ(message, e.GetMessage());
    EXPECT_EQ(message, e.GetMessageCopy());
    EXPECT_EQ(title, e.GetTitle());
    EXPECT_EQ(title, e.GetTitleCopy());
    EXPECT_EQ(Wide(message), e.GetWideMessage());
    EXPECT_EQ(Wide(message), e.GetWideMessageCopy());
    EXPECT_EQ(Wide(title), e.GetWideTitle());
    EXPECT_EQ(Wide(title), e.GetWideTitleCopy());
    EXPECT_NE(e.GetMessage(), e.GetMessageCopy());
    EXPECT_NE(e.GetWideTitle(), e.GetWideTitleCopy());
}

} // namespace

TEST(InputException, HoldsMessageAndTitleInEveryFormAndCopiesHaveTheirOwnBuffers) {
    ExpectTexts(InputException("", ""), "", "");
    try {
        throw InputException("Public Name field is missing", "Login Request Failed");
    } catch (const InputException& caught) {
        const InputException copy(caught);
        ExpectTexts(caught, "Public Name field is missing", "Login Request Failed");
        ExpectTexts(copy, "Public Name field is missing", "Login Request Failed");
        EXPECT_NE(caught.GetMessage(), copy.GetMessage());
        EXPECT_NE(caught.GetWideTitleCopy(), copy.GetWideTitleCopy());
    }
}
