// The process-wide ticket store and the argument checks of the three ticket
// operations. (That a factory refuses an interface its component lacks is
// the address lookup test's.)
#include "tests/customer/CustomerHost.h"

namespace customertest {
namespace {

const std::int32_t kNoTicket = 1;

TEST_F(CustomerTest, StoreHandsOutEachTicketOnceByUpperCasedProductAndExactEvent) {
    auto putter = Manager();
    auto taker = Manager(); // the store is shared by all managers
    ASSERT_EQ(putter->PutTicket("ab\xe9z-1x", "Finals", "first"), vcom::Success);
    ASSERT_EQ(putter->PutTicket("AB\xe9Z-1X", "Finals", "second"), vcom::Success);

    const struct {
        const char* product;
        const char* event = "Finals";
        const char* contextId = nullptr;
        std::int32_t result = kNoTicket;
        const char* ticket = "<null>";
    } takes[] = {
        {.product = "AB\xe9Z-1X", .event = "FINALS"}, // event names keep their case
        {.product = "AB\xc9Z-1X"},                    // only a to z change case
        {.product = "ab\xe9Z-1x", .contextId = "ctx-1", .result = vcom::Success, .ticket = "second"}, // stored wins
        {.product = "AB\xe9Z-1X", .contextId = "ctx-1"}, // handed out once
    };
    for (const auto& take : takes) {
        char* ticket = nullptr;
        EXPECT_EQ(taker->GetTicket(take.product, take.event, take.contextId, nullptr, 1, &display, &ticket),
                  take.result) << (&take - takes);
        EXPECT_EQ(Take(ticket), take.ticket);
    }
    EXPECT_EQ(server.Connections(), 0u);
    EXPECT_TRUE(display.calls.empty());
}

TEST_F(CustomerTest, ArgumentsAreCheckedBeforeTheOutPointerAndTouchNothing) {
    auto manager = Manager();
    ASSERT_EQ(manager->PutTicket("game", "Finals", "stored"), vcom::Success);
    const struct {
        const char* product = "game";
        const char* event = "Finals";
        const char* contextId = nullptr;
        std::int32_t stored = 1;
        bool callback = true;
        bool out = true;
        std::int32_t result = vcom::InvalidArgument;
    } calls[] = {
        {.event = ""},
        {.product = nullptr, .stored = 0, .out = false}, // before the out pointer
        {.product = "", .contextId = "", .stored = 0},
        {.callback = false}, // even on the stored route
        {.out = false, .result = vcom::InvalidOutPointer},
    };
    for (const auto& call : calls) {
        char* ticket = nullptr;
        EXPECT_EQ(manager->GetTicket(call.product, call.event, call.contextId, nullptr, call.stored,
                                     call.callback ? &display : nullptr, call.out ? &ticket : nullptr),
                  call.result);
        EXPECT_EQ(ticket, nullptr);
    }
    EXPECT_EQ(manager->PutTicket("game", "Finals", nullptr), vcom::InvalidArgument);
    EXPECT_EQ(manager->PutTicket("", "Finals", "t"), vcom::InvalidArgument);
    EXPECT_EQ(manager->RemoveTicket("game", nullptr), vcom::InvalidArgument);
    EXPECT_EQ(manager->PutTicket(" ", " ", " "), vcom::Success); // a blank is present

    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game", nullptr, nullptr, 1, ticket), vcom::Success);
    EXPECT_EQ(ticket, "stored");
    EXPECT_EQ(server.Connections(), 0u);
    EXPECT_TRUE(display.calls.empty());
}

} // namespace
} // namespace customertest
