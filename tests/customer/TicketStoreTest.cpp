// The process-wide ticket store, the argument checks of the three ticket
// operations, and the manager's interfaces.
#include "tests/customer/CustomerHost.h"

namespace customertest {
namespace {

using tarnclient::ICustomerManager;

const std::int32_t kNoTicket = 1;

class TicketStoreTest : public CustomerTest {
protected:
    // GetTicket by the stored-ticket route; ticket is "<null>" when none was delivered.
    std::int32_t TakeStored(ICustomerManager* manager, const char* product, const char* eventName,
                            std::string& ticket, const char* contextId = nullptr) {
        char* out = &m_sentinel;
        const std::int32_t result = manager->GetTicket(product, eventName, contextId, nullptr, 1, &display, &out);
        if (out == &m_sentinel) {
            ticket = "<untouched>";
            return result;
        }
        ticket = Take(out);
        return result;
    }

    ScriptedDisplay display;

private:
    char m_sentinel = 0;
};

TEST_F(TicketStoreTest, PutTicketIsTakenOnceByItsUpperCasedProduct) {
    auto manager = Manager();
    ASSERT_EQ(manager->PutTicket("abc-1x", "Finals", "ticket-1"), vcom::Success);

    std::string ticket;
    EXPECT_EQ(TakeStored(manager.get(), "ABC-1X", "Finals", ticket), vcom::Success);
    EXPECT_EQ(ticket, "ticket-1");
    EXPECT_EQ(TakeStored(manager.get(), "ABC-1X", "Finals", ticket), kNoTicket);
    EXPECT_EQ(ticket, "<null>");

    EXPECT_EQ(server.Connections(), 0u);
    EXPECT_TRUE(display.calls.empty());
}

TEST_F(TicketStoreTest, EventNamesAreCaseSensitiveAndOtherBytesAreKept) {
    auto manager = Manager();
    ASSERT_EQ(manager->PutTicket("ab\xe9z", "Finals", "ticket-1"), vcom::Success);

    std::string ticket;
    EXPECT_EQ(TakeStored(manager.get(), "AB\xe9Z", "FINALS", ticket), kNoTicket);
    // Only a to z change case; no locale maps \xe9 to \xc9.
    EXPECT_EQ(TakeStored(manager.get(), "AB\xc9Z", "Finals", ticket), kNoTicket);
    EXPECT_EQ(TakeStored(manager.get(), "ab\xe9Z", "Finals", ticket), vcom::Success);
    EXPECT_EQ(ticket, "ticket-1");
}

TEST_F(TicketStoreTest, SecondPutReplacesTheFirst) {
    auto manager = Manager();
    ASSERT_EQ(manager->PutTicket("game", "Finals", "first"), vcom::Success);
    ASSERT_EQ(manager->PutTicket("GAME", "Finals", "second"), vcom::Success);

    std::string ticket;
    EXPECT_EQ(TakeStored(manager.get(), "game", "Finals", ticket), vcom::Success);
    EXPECT_EQ(ticket, "second");
    EXPECT_EQ(TakeStored(manager.get(), "game", "Finals", ticket), kNoTicket);
}

TEST_F(TicketStoreTest, RemoveTellsWhetherATicketWasStored) {
    auto manager = Manager();
    EXPECT_EQ(manager->RemoveTicket("game", "Finals"), kNoTicket);
    ASSERT_EQ(manager->PutTicket("game", "Finals", "ticket"), vcom::Success);
    EXPECT_EQ(manager->RemoveTicket("GAME", "Finals"), vcom::Success);
    EXPECT_EQ(manager->RemoveTicket("GAME", "Finals"), kNoTicket);

    std::string ticket;
    EXPECT_EQ(TakeStored(manager.get(), "game", "Finals", ticket), kNoTicket);
}

TEST_F(TicketStoreTest, StoreIsSharedByAllManagers) {
    auto putter = Manager();
    auto taker = Manager();
    ASSERT_EQ(putter->PutTicket("game", "Finals", "shared"), vcom::Success);

    std::string ticket;
    EXPECT_EQ(TakeStored(taker.get(), "game", "Finals", ticket), vcom::Success);
    EXPECT_EQ(ticket, "shared");
    EXPECT_EQ(TakeStored(putter.get(), "game", "Finals", ticket), kNoTicket);
}

TEST_F(TicketStoreTest, StoredRouteWinsOverAContextIdAndMakesNoExchange) {
    auto manager = Manager();
    ASSERT_EQ(manager->PutTicket("game", "Finals", "stored"), vcom::Success);

    std::string ticket;
    EXPECT_EQ(TakeStored(manager.get(), "game", "Finals", ticket, "ctx-1"), vcom::Success);
    EXPECT_EQ(ticket, "stored");
    EXPECT_EQ(TakeStored(manager.get(), "game", "Finals", ticket, "ctx-1"), kNoTicket);
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(TicketStoreTest, StoredRouteWithOnlyAContextIdIsRefused) {
    auto manager = Manager();
    std::string ticket;
    EXPECT_EQ(TakeStored(manager.get(), nullptr, "Finals", ticket, "ctx-1"), vcom::InvalidArgument);
    EXPECT_EQ(TakeStored(manager.get(), "", "Finals", ticket, "ctx-1"), vcom::InvalidArgument);
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(TicketStoreTest, StoredRouteStillNeedsACallback) {
    auto manager = Manager();
    ASSERT_EQ(manager->PutTicket("game", "Finals", "stored"), vcom::Success);
    char* ticket = nullptr;
    EXPECT_EQ(manager->GetTicket("game", "Finals", nullptr, nullptr, 1, nullptr, &ticket), vcom::InvalidArgument);
    EXPECT_EQ(ticket, nullptr);

    // The refused call left the ticket where it was.
    std::string taken;
    EXPECT_EQ(TakeStored(manager.get(), "game", "Finals", taken), vcom::Success);
    EXPECT_EQ(taken, "stored");
}

TEST_F(TicketStoreTest, GetTicketChecksArgumentsBeforeTheOutPointer) {
    auto manager = Manager();
    ASSERT_EQ(manager->PutTicket("game", "Finals", "stored"), vcom::Success);
    char* ticket = nullptr;

    EXPECT_EQ(manager->GetTicket("game", nullptr, nullptr, nullptr, 1, &display, nullptr), vcom::InvalidArgument);
    EXPECT_EQ(manager->GetTicket("game", "", nullptr, nullptr, 1, &display, &ticket), vcom::InvalidArgument);
    EXPECT_EQ(manager->GetTicket(nullptr, "Finals", nullptr, nullptr, 0, &display, nullptr), vcom::InvalidArgument);
    EXPECT_EQ(manager->GetTicket("", "Finals", "", nullptr, 0, &display, &ticket), vcom::InvalidArgument);
    EXPECT_EQ(manager->GetTicket("game", "Finals", nullptr, nullptr, 1, nullptr, nullptr), vcom::InvalidArgument);
    EXPECT_EQ(manager->GetTicket("game", "Finals", nullptr, nullptr, 1, &display, nullptr),
              vcom::InvalidOutPointer);
    EXPECT_EQ(manager->GetTicket("game", "Finals", nullptr, nullptr, 0, &display, nullptr),
              vcom::InvalidOutPointer);

    // None of them took the stored ticket, made an exchange or called the host.
    std::string taken;
    EXPECT_EQ(TakeStored(manager.get(), "game", "Finals", taken), vcom::Success);
    EXPECT_EQ(server.Connections(), 0u);
    EXPECT_TRUE(display.calls.empty());
}

TEST_F(TicketStoreTest, PutAndRemoveNeedProductEventAndTicket) {
    auto manager = Manager();
    EXPECT_EQ(manager->PutTicket(nullptr, "Finals", "t"), vcom::InvalidArgument);
    EXPECT_EQ(manager->PutTicket("", "Finals", "t"), vcom::InvalidArgument);
    EXPECT_EQ(manager->PutTicket("game", nullptr, "t"), vcom::InvalidArgument);
    EXPECT_EQ(manager->PutTicket("game", "", "t"), vcom::InvalidArgument);
    EXPECT_EQ(manager->PutTicket("game", "Finals", nullptr), vcom::InvalidArgument);
    EXPECT_EQ(manager->PutTicket("game", "Finals", ""), vcom::InvalidArgument);
    EXPECT_EQ(manager->RemoveTicket(nullptr, "Finals"), vcom::InvalidArgument);
    EXPECT_EQ(manager->RemoveTicket("game", ""), vcom::InvalidArgument);
    // A blank is present.
    EXPECT_EQ(manager->PutTicket(" ", " ", " "), vcom::Success);
    EXPECT_EQ(manager->RemoveTicket(" ", " "), vcom::Success);
}

TEST_F(TicketStoreTest, ManagerAnswersItsThreeInterfacesOnly) {
    std::int32_t err = 99;
    Held<vcom::IComponent> account = NewCustomerManager(server.Address(), 0, &err);
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(err, vcom::Success);

    for (std::int32_t id : {0, 1006, 2004, 4000}) {
        Held<vcom::IComponent> found(account->QueryInterface(id, &err));
        EXPECT_NE(found, nullptr) << id;
        EXPECT_EQ(err, vcom::Success) << id;
        EXPECT_TRUE(account->Supports(id)) << id;
    }
    for (std::int32_t id : {-100, 1000, 2000, 2005, 2006, 4001}) {
        EXPECT_EQ(account->QueryInterface(id, &err), nullptr) << id;
        EXPECT_EQ(err, vcom::Failure) << id;
        EXPECT_FALSE(account->Supports(id)) << id;
    }

    auto* reserved = static_cast<tarnclient::ICustomerAccount*>(account.get());
    EXPECT_EQ(reserved->Reserved4(1, 2, 3), vcom::NotImplemented);
    EXPECT_EQ(reserved->Reserved5(1, 2, 3), vcom::NotImplemented);
    EXPECT_EQ(account->Reserved(1, 2, 3, 4, 5), vcom::NotImplemented);

    Held<tarnclient::IServerLocation> location(
        static_cast<tarnclient::IServerLocation*>(account->QueryInterface(tarnclient::IServerLocation::Id, &err)));
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(Take(location->GetAddress()), server.Address());
    EXPECT_EQ(Take(location->GetHost()), "127.0.0.1");
    EXPECT_EQ(location->GetPort(), server.Port());
}

TEST_F(TicketStoreTest, AskingForAnotherInterfaceCreatesNothing) {
    std::int32_t err = 99;
    EXPECT_EQ(NewCustomerManager(server.Address(), tarnclient::IMachineIdentity::Id, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
}

} // namespace
} // namespace customertest
