// The process-wide ticket store, the argument checks of the three ticket
// operations, and the interface a manager refuses.
#include "tests/customer/CustomerHost.h"

namespace customertest {
namespace {

const std::int32_t kNoTicket = 1;

TEST_F(CustomerTest, StoreHandsOutEachTicketOnceByUpperCasedProductAndExactEvent) {
    auto putter = Manager();
    auto taker = Manager(); // the store is shared by all managers
    ASSERT_EQ(putter->PutTicket("ab\xe9z-1x", "Finals", "first"), vcom::Success);
    ASSERT_EQ(putter->PutTicket("AB\xe9Z-1X", "Finals", "second"), vcom::Success);

    struct Row {
        const char* product;
        const char* event;
        const char* contextId;
        std::int32_t result;
        const char* ticket;
    };
    const Row takes[] = {
        {"AB\xe9Z-1X", "FINALS", nullptr, kNoTicket, "<null>"}, // event names keep their case
        {"AB\xc9Z-1X", "Finals", nullptr, kNoTicket, "<null>"}, // only a to z change case
        {"ab\xe9Z-1x", "Finals", "ctx-1", vcom::Success, "second"}, // stored wins over a context id
        {"AB\xe9Z-1X", "Finals", "ctx-1", kNoTicket, "<null>"},
    };
    for (const Row& take : takes) {
        char* ticket = nullptr;
        EXPECT_EQ(taker->GetTicket(take.product, take.event, take.contextId, nullptr, 1, &display, &ticket),
                  take.result) << (&take - takes);
        EXPECT_EQ(Take(ticket), take.ticket);
    }
    EXPECT_EQ(server.Connections(), 0u);
    EXPECT_EQ(display.log, "");
}

TEST_F(CustomerTest, ArgumentsAreCheckedBeforeTheOutPointerAndTouchNothing) {
    auto manager = Manager();
    ASSERT_EQ(manager->PutTicket("game", "Finals", "stored"), vcom::Success);
    struct Call {
        const char* product;
        const char* event;
        const char* contextId;
        std::int32_t stored;
        bool callback;
        bool out;
        std::int32_t result;
    };
    const Call calls[] = {
        {"game", "", nullptr, 1, true, true, vcom::InvalidArgument},
        {nullptr, "Finals", nullptr, 0, true, false, vcom::InvalidArgument},
        {"", "Finals", "", 0, true, true, vcom::InvalidArgument},
        {"game", "Finals", nullptr, 1, false, true, vcom::InvalidArgument}, // even on the stored route
        {"game", "Finals", nullptr, 1, true, false, vcom::InvalidOutPointer},
    };
    for (const Call& call : calls) {
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
    EXPECT_EQ(display.log, "");
}

TEST_F(CustomerTest, ManagerIsNoMachineIdentity) {
    std::int32_t err = 99;
    EXPECT_EQ(NewCustomerManager(server.Address(), &err, tarnclient::IMachineIdentity::Id).get(), nullptr);
    EXPECT_EQ(err, vcom::Failure);
}

} // namespace
} // namespace customertest
