// The context route: one exchange with the "Get Ticket" servlet, what goes
// on the wire, and what the reply makes of the result; callbacks run with
// no lock held.
#include <thread>

#include "tests/customer/CustomerHost.h"

namespace customertest {
namespace {

TEST_F(CustomerTest, ContextRouteSendsExactlyItsFieldsAndDeliversTheKey) {
    server.Script(TicketAnswer("KEY-1")); // for every connection
    auto manager = Manager();
    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game-1x`{", "ctx-9", "en", 0, ticket), vcom::Success);
    EXPECT_EQ(ticket, "KEY-1");
    EXPECT_EQ(Get(manager.get(), nullptr, "ctx-9", nullptr, 0, ticket), vcom::Success);
    EXPECT_EQ(Get(manager.get(), "", "ctx-9", "", 0, ticket), vcom::Success);

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(RequestLine(requests[0]), "POST /getTicket HTTP/1.1");
    EXPECT_NE(requests[0].find("\r\nUser-Agent:Tarn Customer Manager/1.0\r\n"), std::string::npos);
    EXPECT_EQ(Sent(requests[0], true),
              "contextid=ctx-9 product=GAME-1X`{ eventname=Finals machine=" + MachineId() + " language=en ");
    EXPECT_EQ(Sent(requests[1]), "contextid=ctx-9 eventname=Finals machine ");
    EXPECT_EQ(Sent(requests[2]), "contextid=ctx-9 eventname=Finals machine ");
    EXPECT_EQ(display.log, "");
}

TEST_F(CustomerTest, ContextRouteReplyDecidesTheResult) {
    struct Case {
        std::vector<tarntest::Step> answer;
        std::int32_t result;
        const char* ticket;
        const char* log;
    };
    const Case cases[] = {
        {StatusAnswer(2006), vcom::Failure, "<null>", "E2006/0"}, // correctable, but no prompt to correct it
        {StatusAnswer(0xFFFF), vcom::Failure, "<null>", "E65535/0"},
        {tarntest::Answer(tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"key", "K"}}))),
         vcom::OutOfMemory, "<null>", ""},
        {TicketAnswer("K-3", "soon"), vcom::Success, "K-3", ""}, // a lifetime that is no number is present
        // An address server's reply: a status, but no ticket fields.
        {tarntest::Answer(tarntest::HttpReply(200, tarntest::ReplyRecordBytes(2, 0, {{"serverlist", "<s/>"}}))),
         vcom::Failure, "<null>", ""},
        // Its status is still read first and reported, as any reply's is.
        {tarntest::Answer(tarntest::HttpReply(200, tarntest::ReplyRecordBytes(2, 4007, {}))), vcom::Failure, "<null>",
         "E4007/0"},
    };
    for (const Case& c : cases)
        server.Script(c.answer);
    auto manager = Manager();
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        display.log.clear();
        std::string ticket;
        EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, 0, ticket), c.result);
        EXPECT_EQ(ticket, c.ticket);
        EXPECT_EQ(display.log, c.log);
    }
}

TEST_F(CustomerTest, CallbacksRunWithNoLockHeld) {
    server.Script(StatusAnswer(2001));
    auto manager = Manager();
    const Ref<tarnclient::IServerLocation> location = manager.As<tarnclient::IServerLocation>();
    std::vector<std::int32_t> seen;
    // Another thread shares no recursive lock with the callback: a lock held
    // across the call would block it for ever.
    display.inCallback = [&] {
        std::thread([&] {
            seen.push_back(manager->PutTicket("game", "Finals", "from-callback"));
            seen.push_back(location->GetPort());
        }).join();
    };
    display.Then(ScriptedDisplay::Login("alice", "pw"));
    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game", nullptr, nullptr, 0, ticket), vcom::Failure);
    EXPECT_EQ(display.log, "P[||]E2001/0");
    const std::vector<std::int32_t> expected = {0, server.Port(), 0, server.Port()};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Get(manager.get(), "game", nullptr, nullptr, 1, ticket), vcom::Success);
    EXPECT_EQ(ticket, "from-callback");
}

} // namespace
} // namespace customertest
