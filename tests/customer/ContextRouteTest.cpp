// The context route: one exchange with the "Get Ticket" servlet, what goes
// on the wire, and what the reply makes of the result.
#include <thread>

#include "tests/customer/CustomerHost.h"

namespace customertest {
namespace {

using tarntest::RecordFields;

std::string MachineId() {
    Held<tarnclient::ICoreFactory> core(static_cast<tarnclient::ICoreFactory*>(
        Factory()->QueryInterface(tarnclient::ICoreFactory::Id, nullptr)));
    std::int32_t err = 99;
    Held<tarnclient::IMachineIdentity> identity(static_cast<tarnclient::IMachineIdentity*>(
        core->CreateMachineIdentity(tarnclient::IMachineIdentity::Id, &err)));
    return identity ? Take(identity->GetMachineId()) : "<none>";
}

class ContextRouteTest : public CustomerTest {
protected:
    std::int32_t Get(tarnclient::ICustomerManager* manager, const char* product, const char* contextId,
                     const char* language, std::string& ticket) {
        char* out = nullptr;
        const std::int32_t result = manager->GetTicket(product, "Finals", contextId, language, 0, &display, &out);
        ticket = Take(out);
        return result;
    }

    ScriptedDisplay display;
};

TEST_F(ContextRouteTest, SendsExactlyTheContextFieldsAndDeliversTheKey) {
    server.Script(TicketAnswer("KEY-1"));
    auto manager = Manager();

    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game-1x", "ctx-9", "en", ticket), vcom::Success);
    EXPECT_EQ(ticket, "KEY-1");

    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_EQ(RequestLine(request), "POST /getTicket HTTP/1.1");
    EXPECT_NE(request.find("\r\nUser-Agent:Tarn Customer Manager/1.0\r\n"), std::string::npos);
    const RecordFields expected = {{"contextid", "ctx-9"},
                                   {"product", "GAME-1X"},
                                   {"eventname", "Finals"},
                                   {"machine", MachineId()},
                                   {"language", "en"}};
    EXPECT_EQ(RequestFields(request), expected);
    EXPECT_TRUE(display.calls.empty());
}

TEST_F(ContextRouteTest, AbsentProductAndLanguageSendNoField) {
    server.Script(TicketAnswer("KEY-1"));
    server.Script(TicketAnswer("KEY-2"));
    auto manager = Manager();

    std::string ticket;
    EXPECT_EQ(Get(manager.get(), nullptr, "ctx-9", nullptr, ticket), vcom::Success);
    EXPECT_EQ(ticket, "KEY-1");
    EXPECT_EQ(Get(manager.get(), "", "ctx-9", "", ticket), vcom::Success);
    EXPECT_EQ(ticket, "KEY-2");

    const RecordFields expected = {{"contextid", "ctx-9"}, {"eventname", "Finals"}, {"machine", MachineId()}};
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(RequestFields(server.Requests()[0]), expected);
    EXPECT_EQ(RequestFields(server.Requests()[1]), expected);
}

TEST_F(ContextRouteTest, ApplicationErrorsAreReportedAndFail) {
    // 2002 cannot be corrected; 2006 could at a login prompt, but there is none here.
    server.Script(StatusAnswer(2002));
    server.Script(StatusAnswer(2006));
    auto manager = Manager();

    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), vcom::Failure);
    EXPECT_EQ(ticket, "<null>");
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), vcom::Failure);

    ASSERT_EQ(display.calls.size(), 2u);
    EXPECT_FALSE(display.calls[0].prompt);
    EXPECT_EQ(display.calls[0].code, 2002);
    EXPECT_EQ(display.calls[0].zero, 0);
    EXPECT_FALSE(display.calls[1].prompt);
    EXPECT_EQ(display.calls[1].code, 2006);
}

TEST_F(ContextRouteTest, StatusIsWidenedWithoutSign) {
    server.Script(StatusAnswer(0xFFFF));
    auto manager = Manager();

    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), vcom::Failure);
    ASSERT_EQ(display.Errors().size(), 1u);
    EXPECT_EQ(display.Errors()[0].code, 65535);
}

TEST_F(ContextRouteTest, NegativeReportErrorAnswerIsTheResult) {
    server.Script(StatusAnswer(2002));
    auto manager = Manager();
    display.errorAnswer = -77;

    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), -77);
    EXPECT_EQ(ticket, "<null>");
}

TEST_F(ContextRouteTest, SuccessNeedsBothKeyAndLifetime) {
    server.Script(tarntest::Answer(tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"key", "K"}}))));
    server.Script(tarntest::Answer(tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"lifetime", "60"}}))));
    // A lifetime that is no number still counts as present.
    server.Script(TicketAnswer("K-3", "soon"));
    auto manager = Manager();

    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), vcom::OutOfMemory);
    EXPECT_EQ(ticket, "<null>");
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), vcom::OutOfMemory);
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), vcom::Success);
    EXPECT_EQ(ticket, "K-3");
    EXPECT_TRUE(display.calls.empty());
}

TEST_F(ContextRouteTest, FailedExchangeGivesFailure) {
    server.Script(tarntest::Answer(tarntest::HttpReply(404, "no such servlet")));
    // A body that is no record at all.
    server.Script(tarntest::Answer(tarntest::HttpReply(200, "")));
    auto manager = Manager();

    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), vcom::Failure);
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), vcom::Failure);
    EXPECT_EQ(ticket, "<null>");
    EXPECT_TRUE(display.calls.empty());
}

TEST_F(ContextRouteTest, ReplyOfAnotherKindFailsWithTheRefusedQuery) {
    // An address server's reply: it has a status, but no ticket fields.
    const std::uint16_t addressReply = 2;
    server.Script(tarntest::Answer(
        tarntest::HttpReply(200, tarntest::ReplyRecordBytes(addressReply, 0, {{"serverlist", "<servers/>"}}))));
    auto manager = Manager();

    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), vcom::Failure);
    EXPECT_EQ(ticket, "<null>");
    EXPECT_TRUE(display.calls.empty());
}

TEST(ContextRouteUnreachable, ServerThatIsGoneGivesFailure) {
    std::string gone;
    {
        tarntest::ScriptedServer closed;
        gone = closed.Address();
    }
    auto manager = NewManager(gone);
    ASSERT_NE(manager, nullptr);
    ScriptedDisplay display;
    char* ticket = nullptr;
    EXPECT_EQ(manager->GetTicket("game", "Finals", "ctx-9", nullptr, 0, &display, &ticket), vcom::Failure);
    EXPECT_EQ(ticket, nullptr);
    EXPECT_TRUE(display.calls.empty());
}

TEST_F(ContextRouteTest, ReportErrorRunsWithNoLockHeld) {
    server.Script(StatusAnswer(2002));
    auto manager = Manager();
    Held<tarnclient::IServerLocation> location(static_cast<tarnclient::IServerLocation*>(
        manager->QueryInterface(tarnclient::IServerLocation::Id, nullptr)));
    std::int32_t putResult = 99;
    std::int32_t port = 0;
    // Another thread does not share a recursive lock with the callback: any
    // lock held across the call would block it for ever.
    display.onError = [&](std::int32_t) {
        std::thread([&] {
            putResult = manager->PutTicket("game", "Finals", "from-callback");
            port = location->GetPort();
        }).join();
    };

    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, ticket), vcom::Failure);
    EXPECT_EQ(putResult, vcom::Success);
    EXPECT_EQ(port, server.Port());

    char* stored = nullptr;
    EXPECT_EQ(manager->GetTicket("game", "Finals", nullptr, nullptr, 1, &display, &stored), vcom::Success);
    EXPECT_EQ(Take(stored), "from-callback");
}

} // namespace
} // namespace customertest
