// The argument checks of the ticket operations and the public-name check.
#include <gtest/gtest.h>

#include "customer/TicketArgs.h"
#include "messages/InputException.h"
#include "vcom/Codes.h"

namespace customer {
namespace {

// Never called: the checks only look at the pointer.
tarnclient::IDisplayCallback* const kCallback = reinterpret_cast<tarnclient::IDisplayCallback*>(0x10);

vcom::Code CaptureCode(const char* product, const char* eventName, const char* contextId,
                       tarnclient::IDisplayCallback* callback = kCallback) {
    try {
        GetTicketArgs args(product, eventName, contextId, nullptr, false, callback);
        return vcom::Success;
    } catch (const vcom::Code& code) {
        return code;
    }
}

TEST(TicketArgsTest, PresenceMeansNonNullAndNotEmpty) {
    EXPECT_FALSE(IsPresent(nullptr));
    EXPECT_FALSE(IsPresent(""));
    EXPECT_TRUE(IsPresent(" "));
}

TEST(TicketArgsTest, EventNameAndProductOrContextIdAreRequired) {
    EXPECT_EQ(CaptureCode("game", nullptr, "ctx"), vcom::InvalidArgument);
    EXPECT_EQ(CaptureCode("game", "", "ctx"), vcom::InvalidArgument);
    EXPECT_EQ(CaptureCode(nullptr, "Finals", nullptr), vcom::InvalidArgument);
    EXPECT_EQ(CaptureCode("", "Finals", ""), vcom::InvalidArgument);
    EXPECT_EQ(CaptureCode("game", "Finals", nullptr, nullptr), vcom::InvalidArgument);
    EXPECT_EQ(CaptureCode("game", " ", nullptr), vcom::Success);
    EXPECT_EQ(CaptureCode("", "Finals", "ctx"), vcom::Success);
    EXPECT_EQ(CaptureCode("game", "Finals", ""), vcom::Success);
}

TEST(TicketArgsTest, ProductIsUpperCasedFromAToZOnly) {
    const TicketArgs args("abc-1x`{az\xe9\xff", "Finals", nullptr);
    EXPECT_TRUE(args.HasProduct());
    EXPECT_EQ(args.Product(), "ABC-1X`{AZ\xe9\xff");
    EXPECT_STREQ(args.ProductOrNull(), "ABC-1X`{AZ\xe9\xff");
    EXPECT_FALSE(args.HasContextId());
}

TEST(TicketArgsTest, AbsentProductStaysAbsent) {
    const TicketArgs empty("", "Finals", "ctx");
    EXPECT_FALSE(empty.HasProduct());
    EXPECT_EQ(empty.ProductOrNull(), nullptr);
    EXPECT_TRUE(empty.HasContextId());
    EXPECT_STREQ(empty.ContextId(), "ctx");
}

TEST(TicketArgsTest, AnotherContextIdKeepsTheRest) {
    const char language[] = "en";
    const GetTicketArgs args("game", "Finals", nullptr, language, true, kCallback);
    const GetTicketArgs fromPrompt = args.WithContextId("ctx-2");
    EXPECT_EQ(fromPrompt.Product(), "GAME");
    EXPECT_STREQ(fromPrompt.EventName(), "Finals");
    EXPECT_STREQ(fromPrompt.ContextId(), "ctx-2");
    EXPECT_EQ(fromPrompt.Language(), language);
    EXPECT_TRUE(fromPrompt.UseStoredTicket());
    EXPECT_EQ(fromPrompt.Callback(), kCallback);
}

TEST(CheckPublicNameTest, MissingNameRaisesTheLoginInputError) {
    try {
        CheckPublicName("");
        FAIL() << "no exception";
    } catch (const tarnClientLib::InputException& error) {
        EXPECT_STREQ(error.GetMessage(), "Public Name field is missing; Please provide a Public Name and try again");
        EXPECT_STREQ(error.GetTitle(), "Login Request Failed");
    }
}

TEST(CheckPublicNameTest, AnyNameIsAccepted) {
    EXPECT_NO_THROW(CheckPublicName(" "));
    EXPECT_NO_THROW(CheckPublicName("x"));
}

} // namespace
} // namespace customer
