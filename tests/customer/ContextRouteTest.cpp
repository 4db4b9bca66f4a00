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
    // An absent or empty product or language is no field.
    EXPECT_EQ(Get(manager.get(), nullptr, "ctx-9", nullptr, 0, ticket), vcom::Success);
    EXPECT_EQ(Get(manager.get(), "", "ctx-9", "", 0, ticket), vcom::Success);

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(RequestLine(requests[0]), "POST /getTicket HTTP/1.1");
    EXPECT_NE(requests[0].find("\r\nUser-Agent:Tarn Customer Manager/1.0\r\n"), std::string::npos);
    const RecordFields bare = {{"contextid", "ctx-9"}, {"eventname", "Finals"}, {"machine", kMachine}};
    const RecordFields full = {{"contextid", "ctx-9"}, {"product", "GAME-1X`{"}, {"eventname", "Finals"},
                               {"machine", kMachine}, {"language", "en"}};
    EXPECT_EQ(SentAll(), TicketRequests({full, bare, bare}));
    EXPECT_TRUE(display.calls.empty());
}

TEST_F(CustomerTest, ContextRouteReplyDecidesTheResult) {
    const auto reply = [](std::string record) { return tarntest::Answer(tarntest::HttpReply(200, record)); };
    const struct {
        const char* what;
        std::vector<tarntest::Step> answer;
        std::int32_t result;
        const char* ticket = "<null>";
        std::vector<DisplayCall> calls = {};
    } cases[] = {
        {.what = "correctable, but no prompt to correct it", .answer = StatusAnswer(2006), .result = vcom::Failure,
         .calls = {Error(2006)}},
        {.what = "the highest status", .answer = StatusAnswer(0xFFFF), .result = vcom::Failure, .calls = {Error(0xFFFF)}},
        {.what = "no lifetime", .answer = reply(tarntest::TicketReplyBytes(0, {{"key", "K"}})), .result = vcom::OutOfMemory},
        {.what = "a lifetime that is no number", .answer = TicketAnswer("K-3", "soon"), .result = vcom::Success,
         .ticket = "K-3"},
        {.what = "an address reply: a status, but no ticket fields",
         .answer = reply(tarntest::ReplyRecordBytes(2, 0, {{"serverlist", "<s/>"}})), .result = vcom::Failure},
        {.what = "an address reply's status is still read first and reported",
         .answer = reply(tarntest::ReplyRecordBytes(2, 4007, {})), .result = vcom::Failure, .calls = {Error(4007)}},
    };
    for (const auto& c : cases)
        server.Script(c.answer);
    auto manager = Manager();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        display.calls.clear();
        std::string ticket;
        EXPECT_EQ(Get(manager.get(), "game", "ctx-9", nullptr, 0, ticket), c.result);
        EXPECT_EQ(ticket, c.ticket);
        EXPECT_EQ(display.calls, c.calls);
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
    EXPECT_EQ(display.calls, (std::vector<DisplayCall>{Prompt(), Error(2001)}));
    const std::vector<std::int32_t> expected = {0, server.Port(), 0, server.Port()};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Get(manager.get(), "game", nullptr, nullptr, 1, ticket), vcom::Success);
    EXPECT_EQ(ticket, "from-callback");
}

} // namespace
} // namespace customertest
