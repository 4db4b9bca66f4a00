// One whole service call: results, reply texts and byte counts, the binary
// exchange with real records, the bounds on a failing server, and
// serialisation. Text replies (no record) are made by no caller: the text
// exchanges here stand for the failures, which both kinds share. Bodies that
// are no record are the address route's test.
#include <atomic>
#include <thread>

#include "dead/Message.h"
#include "dead/Stream.h"
#include "tests/http/TransportTest.h"
#include "tests/support/ServiceRecordBytes.h"
#include "vcom/Ref.h"

namespace {

using namespace httptest;
using MakeHttpRequestTest = TransportTest;

// An exchange opens at most two connections, whatever the server does.
TEST_F(MakeHttpRequestTest, ServerThatFailsToAnswerGives999) {
    const std::string header = "HTTP/1.1 200 OK\r\n", lost = "CHttp::SafeRead : failed after 2 read attempts";
    const struct { std::vector<Step> script; std::int64_t shorten; std::string text; std::size_t connections; } rows[] = {
        // Silent through the whole first-byte wait, or closing without a word.
        {.script = {ReadRequest(), Silent()}, .shorten = 1000, .text = kMessage13, .connections = 1},
        {.script = {ReadRequest(), Close()}, .shorten = 1000, .text = kMessage13, .connections = 1},
        // The reply begins, then the server falls silent, or resets inside
        // the header, on every connection.
        {.script = {ReadRequest(), Send(header), Silent()}, .shorten = 100, .text = lost, .connections = 2},
        {.script = CutByReset(header), .shorten = 1, .text = lost, .connections = 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        Restore();
        ScriptedServer server;
        server.Script(row.script); // for every connection
        ShortenWaits(row.shorten);
        const Outcome outcome = TextExchange("127.0.0.1", server.Port());
        EXPECT_EQ(outcome.result, 999);
        EXPECT_EQ(outcome.text, row.text);
        EXPECT_EQ(outcome.bytes, 0u);
        // Every re-connection sent the request again.
        EXPECT_TRUE(server.WaitFinished(row.connections));
        EXPECT_EQ(server.Requests(), Requests(row.connections, Request(server.Port(), "", "/t", "agent", kExtra)));
    }
}

TEST_F(MakeHttpRequestTest, SecondCallerConnectsOnlyAfterTheFirstHasClosed) {
    ScriptedServer server;
    std::atomic<std::size_t> connectionsAtFirstReply{0};
    server.Script({ReadRequest(), Pause(300), tarntest::Run([&] { connectionsAtFirstReply = server.Connections(); }),
                   Send(HttpReply(200, "first")), Close()});
    server.Script(Answer(HttpReply(200, "second")));
    Outcome first, second;
    std::thread firstCaller([&] { first = TextExchange("127.0.0.1", server.Port()); });
    while (server.Connections() == 0)
        std::this_thread::yield();
    std::thread secondCaller([&] { second = TextExchange("127.0.0.1", server.Port()); });
    firstCaller.join();
    secondCaller.join();
    EXPECT_EQ(first.text, "first");
    EXPECT_EQ(second.text, "second");
    EXPECT_EQ(connectionsAtFirstReply.load(), 1u);
}

// A reply cut by a reset at any of these bytes is dropped: the reply to the
// request sent again on the new connection is decoded alone.
TEST_F(MakeHttpRequestTest, ReplyCutByAResetIsReadAgainFromItsFirstByte) {
    const std::string replyBytes = ReplyRecordBytes(2, 0, {{"serverlist", "<servers><s/></servers>"}});
    const std::string whole = HttpReply(200, replyBytes);
    for (std::size_t cut : {std::size_t(1), std::size_t(20), whole.size() - replyBytes.size() + 2, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        Restore();
        ScriptedServer server;
        server.Script(CutByReset(whole.substr(0, cut)));
        server.Script(Answer(whole));
        std::int32_t err = 0;
        vcom::ref<Dead::IMessage> record(static_cast<Dead::IMessage*>(Dead::GetMessageFactory()->CreateAddressRequest(
            Dead::IMessage::Id, &err, "product", "category", "server", "att1")));
        EXPECT_EQ(Utility::MakeHttpRequest("127.0.0.1", server.Port(), "QAS Client/1.0", "/addrsrv", "POST", record),
                  200);
        ASSERT_TRUE(record);
        Dead::Stream written = Dead::Stream::Growable(80, 128);
        EXPECT_EQ(record->Write(&written), 0);
        const Dead::Buffer& buffer = written.GetBuffer();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Length()), replyBytes);
        EXPECT_EQ(server.Connections(), 2u);
    }
}

} // namespace
