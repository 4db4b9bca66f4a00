// One whole service call: the reply record, the cause of each failure and
// its kind, and the bounds on a failing server. (A reply that is no record,
// an HTTP error status: the host call control table; one exchange at a time:
// the exchange limits' rows for the request turn.)
#include "dead/Stream.h"
#include "tests/http/TransportTest.h"

namespace {

using namespace httptest;
using MakeHttpRequestTest = TransportTest;

// The reply record's bytes, as the record writes itself again.
std::string Written(Dead::IMessage& record) {
    Dead::Stream written = Dead::Stream::Growable(80, 128);
    EXPECT_EQ(record.Write(&written), 0);
    const Dead::Buffer& buffer = written.GetBuffer();
    return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Length());
}

const std::string kReplyBytes = ReplyRecordBytes(2, 0, {{"serverlist", "<servers><s/></servers>"}});

// An exchange opens at most two connections, whatever the server does, and
// names what went wrong.
TEST_F(MakeHttpRequestTest, ServerThatFailsToAnswerGives999AndItsCause) {
    const std::string header = "HTTP/1.1 200 OK\r\n";
    struct Row { std::vector<Step> script; std::int64_t shorten; tarnclient::CallFailure failure; std::string cause;
                 std::size_t connections; };
    const Row rows[] = {
        // Silent through the whole first-byte wait, or closing without a word.
        // (Sixteen polls of 10 ms stay well within the exchange's 1.5 s on
        // a busy machine, where each wake-up may come late.)
        {.script = {ReadRequest(), Silent()}, .shorten = 100, .failure = tarnclient::CallNoReply,
         .cause = "no reply from 127.0.0.1:%d within 16 polls of 1000 ms", .connections = 1},
        {.script = {ReadRequest(), Close()}, .shorten = 1000, .failure = tarnclient::CallNoReply,
         .cause = "127.0.0.1:%d closed the connection without a reply", .connections = 1},
        // The reply begins, then the server falls silent, or resets inside
        // the header, on every connection. (Two read waits of 3 s leave the
        // exchange's 7.5 s a margin no busy machine takes up.)
        {.script = {ReadRequest(), Send(header), Silent()}, .shorten = 20, .failure = tarnclient::CallNoReply,
         .cause = "no reply from 127.0.0.1:%d after 2 read attempts on 2 connections", .connections = 2},
        {.script = CutByReset(header), .shorten = 1, .failure = tarnclient::CallNoReply,
         .cause = "no reply from 127.0.0.1:%d after 2 read attempts on 2 connections", .connections = 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cause);
        Restore();
        ScriptedServer server;
        server.Script(row.script); // for every connection
        ShortenWaits(row.shorten);
        const Outcome outcome = Exchange(server.Port());
        EXPECT_EQ(outcome.result, 999);
        EXPECT_EQ(outcome.failure, row.failure);
        char cause[200];
        std::snprintf(cause, sizeof cause, row.cause.c_str(), server.Port());
        EXPECT_EQ(outcome.cause, cause);
        // Every re-connection sent the request again.
        EXPECT_TRUE(server.WaitFinished(row.connections));
        EXPECT_EQ(server.Requests(), Requests(row.connections, ExchangeRequest(server.Port())));
    }
}

// A reply cut by a reset at any of these bytes is dropped: the reply to the
// request sent again on the new connection is decoded alone.
TEST_F(MakeHttpRequestTest, ReplyCutByAResetIsReadAgainFromItsFirstByte) {
    const std::string whole = HttpReply(200, kReplyBytes);
    for (std::size_t cut : {std::size_t(1), std::size_t(20), whole.size() - kReplyBytes.size() + 2, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        Restore();
        ScriptedServer server;
        server.Script(CutByReset(whole.substr(0, cut)));
        server.Script(Answer(whole));
        Outcome outcome = Exchange(server.Port());
        EXPECT_EQ(outcome.result, 200);
        ASSERT_TRUE(outcome.reply);
        EXPECT_EQ(Written(*outcome.reply), kReplyBytes);
        EXPECT_EQ(outcome.failure, tarnclient::CallSucceeded);
        EXPECT_EQ(server.Connections(), 2u);
    }
}

} // namespace
