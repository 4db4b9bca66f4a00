// One whole service call: results, reply texts and byte counts, the binary
// exchange with real records, the three kinds of failure, and serialisation.
// Text replies (no record) are made by no caller: the text exchanges here
// stand for the failures, which both kinds share.
#include <atomic>
#include <thread>

#include "dead/Message.h"
#include "dead/Stream.h"
#include "messages/Module.h"
#include "messages/ResourceString.h"
#include "tests/http/TransportTest.h"
#include "vcom/Component.h"

namespace {

using namespace httptest;
using MakeHttpRequestTest = TransportTest;

// An exchange opens at most two connections, whatever the server does.
TEST_F(MakeHttpRequestTest, ServerThatFailsToAnswerGives999) {
    const std::string header = "HTTP/1.1 200 OK\r\n", lost = "CHttp::SafeRead : failed after 2 read attempts";
    const struct { std::vector<std::vector<Step>> scripts; std::int64_t shorten; std::string text; std::size_t connections; }
        rows[] = {
        // Silent through the whole first-byte wait, or closing without a word.
        {.scripts = {{ReadRequest(), Silent()}}, .shorten = 1000, .text = kMessage13, .connections = 1},
        {.scripts = {{ReadRequest(), Close()}}, .shorten = 1000, .text = kMessage13, .connections = 1},
        // The reply begins, then the server falls silent, or resets inside
        // the header, on every connection.
        {.scripts = {{ReadRequest(), Send(header), Silent()}}, .shorten = 100, .text = lost, .connections = 2},
        {.scripts = {CutByReset(header)}, .shorten = 1, .text = lost, .connections = 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        Restore();
        ScriptedServer server;
        for (const auto& script : row.scripts)
            server.Script(script);
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

// A request record that fails to write itself: by throwing a message, or by
// returning a failure.
struct FailingRecord : vcom::Component<FailingRecord, vcom::Iface<Dead::IMessage>> {
    explicit FailingRecord(bool throws) : throws(throws) {}
    std::int32_t Write(Dead::Stream*) override {
        if (throws)
            throw tarnClientLib::ResourceString(tarnClientLib::kModuleName, 53, "Product Name");
        return -1;
    }
    std::int32_t Read(Dead::Stream*) override { return 0; }
    const bool throws;
};

Dead::IMessage* NewAddressRequest() {
    std::int32_t err = 0;
    return static_cast<Dead::IMessage*>(Dead::GetMessageFactory()->CreateAddressRequest(
        Dead::IMessage::Id, &err, "product", "category", "server", "att1"));
}

std::string BytesOf(Dead::IMessage* message) {
    Dead::Stream stream = Dead::Stream::Growable(80, 128);
    message->Write(&stream);
    const Dead::Buffer& buffer = stream.GetBuffer();
    return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Length());
}

// A binary exchange: record goes in as the request and comes out as the reply.
struct Binary {
    Dead::IMessage* record = nullptr;
    std::string text;
    std::uint32_t bytes = 77;
    std::int32_t Exchange(std::uint16_t port) {
        return Utility::MakeHttpRequest("127.0.0.1", port, "QAS Client/1.0", "/addrsrv", "POST", text, &bytes, &record);
    }
    ~Binary() {
        if (record)
            record->Release();
    }
};

// A reply cut by a reset at any of these bytes is dropped: the reply to the
// request sent again on the new connection is decoded alone.
TEST_F(MakeHttpRequestTest, ReplyCutByAResetIsReadAgainFromItsFirstByte) {
    std::int32_t err = 0;
    vcom::ref<Dead::IMessage> reply(static_cast<Dead::IMessage*>(
        Dead::GetMessageFactory()->CreateAddressReply(Dead::IMessage::Id, &err, "<servers><s/></servers>")));
    const std::string replyBytes = BytesOf(reply.get()), whole = HttpReply(200, replyBytes);
    for (std::size_t cut : {std::size_t(1), std::size_t(20), whole.size() - replyBytes.size() + 2, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        Restore();
        ScriptedServer server;
        server.Script(CutByReset(whole.substr(0, cut)));
        server.Script(Answer(whole));
        Binary binary;
        binary.record = NewAddressRequest();
        EXPECT_EQ(binary.Exchange(server.Port()), 200) << binary.text;
        EXPECT_EQ(binary.text, "Successful decoding of Dead::Buffer from HTTP Response");
        EXPECT_EQ(binary.bytes, replyBytes.size());
        ASSERT_NE(binary.record, nullptr);
        EXPECT_EQ(BytesOf(binary.record), replyBytes);
        EXPECT_EQ(server.Connections(), 2u);
    }
}

TEST_F(MakeHttpRequestTest, FailedBinaryExchangesGive999) {
    enum Record { None, Address, Throwing, Unwritable };
    enum Kept { Nothing, Request, Any };
    // Only the silent server runs out the first-byte wait; a reply must not race a shortened one.
    const struct { std::vector<Step> script; Record record; const char* text; std::uint32_t bytes; Kept kept;
                   std::int64_t shorten = 1; } rows[] = {
        {Answer(HttpReply(200, "")), Address, kMessage13, 0, Nothing},
        {Answer(HttpReply(200, std::string("\x00\x07 not a record", 15))), Address, kMessage13, 15, Nothing},
        {{ReadRequest(), Silent()}, Address, kMessage13, 0, Request, 1000},
        {{}, Throwing, "The value provided in the Product Name input argument is missing or invalid", 0, Any},
        {{}, Unwritable, kMessage13, 0, Any},
        {{}, None, kMessage13, 0, Nothing},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.record);
        ShortenWaits(row.shorten);
        ScriptedServer server;
        if (!row.script.empty())
            server.Script(row.script);
        Binary binary;
        if (row.record == Address)
            binary.record = NewAddressRequest();
        if (row.record >= Throwing)
            (binary.record = new FailingRecord(row.record == Throwing))->AddRef();
        Dead::IMessage* const request = binary.record;
        EXPECT_EQ(binary.Exchange(server.Port()), 999);
        EXPECT_EQ(binary.text, row.text);
        EXPECT_EQ(binary.bytes, row.bytes);
        if (row.kept != Any) {
            EXPECT_EQ(binary.record, row.kept == Request ? request : nullptr);
        }
        if (row.record == Unwritable && server.WaitFinished(1)) {
            EXPECT_EQ(server.Requests().at(0), ""); // nothing sent
        }
    }
}

} // namespace
