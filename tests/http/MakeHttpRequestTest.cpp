// One whole service call: results, reply texts and byte counts, the binary
// exchange with real records, the three kinds of failure, and serialisation.
#include <atomic>
#include <string>
#include <thread>

#include "dead/Message.h"
#include "dead/Stream.h"
#include "http/MakeHttpRequest.h"
#include "messages/Module.h"
#include "messages/ResourceString.h"
#include "tests/http/TransportTest.h"
#include "vcom/Component.h"

namespace {

using httptest::kMessage13;
using httptest::Outcome;
using httptest::TextExchange;
using httptest::TransportTest;
using tarntest::Answer;
using tarntest::Close;
using tarntest::HttpReply;
using tarntest::Pause;
using tarntest::ReadRequest;
using tarntest::ScriptedServer;
using tarntest::Send;
using tarntest::Silent;

constexpr char kDecoded[] = "Successful decoding of Dead::Buffer from HTTP Response";

class MakeHttpRequestTest : public TransportTest {
protected:
    Outcome Text(const std::string& reply) {
        server.Script(Answer(reply));
        return TextExchange("127.0.0.1", server.Port());
    }

    ScriptedServer server;
};

TEST_F(MakeHttpRequestTest, TextReplyEndsAtItsFirstZeroByteWhileAllBytesAreCounted) {
    std::string body(100, 'x');
    body[40] = '\0';
    const Outcome outcome = Text(HttpReply(200, body));
    EXPECT_EQ(outcome.result, 200);
    EXPECT_EQ(outcome.text, std::string(40, 'x'));
    EXPECT_EQ(outcome.bytes, 100u);
}

TEST_F(MakeHttpRequestTest, EmptyTextReplySucceedsEmpty) {
    const Outcome outcome = Text(HttpReply(200, ""));
    EXPECT_EQ(outcome.result, 200);
    EXPECT_EQ(outcome.text, "");
    EXPECT_EQ(outcome.bytes, 0u);
}

TEST_F(MakeHttpRequestTest, LargeRepliesArriveWhole) {
    std::string body;
    for (int i = 0; i < 300000; ++i)
        body += char('a' + i % 26);
    for (bool declared : {true, false}) {
        ScriptedServer each;
        each.Script(Answer(HttpReply(200, body, declared)));
        const Outcome outcome = TextExchange("127.0.0.1", each.Port());
        EXPECT_EQ(outcome.result, 200);
        EXPECT_EQ(outcome.bytes, body.size());
        EXPECT_TRUE(outcome.text == body) << "declared length: " << declared;
    }
}

TEST_F(MakeHttpRequestTest, RefusedStatusGives999WithTheStatusMessage) {
    const Outcome outcome = Text("HTTP/1.1 404 Not Found\r\nContent-length: 0\r\n\r\n");
    EXPECT_EQ(outcome.result, 999);
    EXPECT_EQ(outcome.text, "CHttp::ProcessHttpHeader : HTTP Request failed - request = " +
                                httptest::ExpectedRequest("/t", "agent", server.Port()) + "; HTTP Status = 404");
    EXPECT_EQ(outcome.bytes, 0u);
}

TEST_F(MakeHttpRequestTest, UnresolvableHostGives999WithTheLookupMessage) {
    const Outcome outcome = TextExchange("no-such-host.invalid", 80);
    EXPECT_EQ(outcome.result, 999);
    EXPECT_EQ(outcome.text.rfind("CHttp::GetAddress : call to ::gethostbyname failed after 2 tries", 0), 0u);
}

TEST_F(MakeHttpRequestTest, ServerSilentThroughTheFirstByteWaitGivesMessage13) {
    ShortenWaits();
    server.Script({ReadRequest(), Silent()});
    const Outcome outcome = TextExchange("127.0.0.1", server.Port());
    EXPECT_EQ(outcome.result, 999);
    EXPECT_EQ(outcome.text, kMessage13);
    EXPECT_EQ(server.Connections(), 1u);
}

TEST_F(MakeHttpRequestTest, ServerClosingWithoutAWordGivesMessage13) {
    ShortenWaits();
    server.Script({ReadRequest(), Close()});
    const Outcome outcome = TextExchange("127.0.0.1", server.Port());
    EXPECT_EQ(outcome.result, 999);
    EXPECT_EQ(outcome.text, kMessage13);
}

TEST_F(MakeHttpRequestTest, ReadFailureGivesTheConnectionsMessage) {
    ShortenWaits(100);
    // The reply begins, then the server falls silent, also after re-connections.
    server.Script({ReadRequest(), Send("HTTP/1.1 200 OK\r\n"), Silent()});
    server.Script({ReadRequest(), Silent()});
    const Outcome outcome = TextExchange("127.0.0.1", server.Port());
    EXPECT_EQ(outcome.result, 999);
    EXPECT_EQ(outcome.text, "CHttp::SafeRead : failed after 2 read attempts");
}

TEST_F(MakeHttpRequestTest, IncomingTextAndCountAreClearedAndNoCountIsNeeded) {
    server.Script(Answer(HttpReply(200, "fresh")));
    std::string text = "stale";
    EXPECT_EQ(Utility::MakeHttpRequest("127.0.0.1", server.Port(), "a", "/t", "POST", text, nullptr, nullptr), 200);
    EXPECT_EQ(text, "fresh");

    std::uint32_t bytes = 77;
    EXPECT_EQ(Utility::MakeHttpRequest("no-such-host.invalid", 80, "a", "/t", "POST", text, &bytes, nullptr), 999);
    EXPECT_EQ(bytes, 0u);
}

TEST_F(MakeHttpRequestTest, SecondCallerConnectsOnlyAfterTheFirstHasClosed) {
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

// A request record that fails to write itself, in one of two ways.
class FailingRecord : public vcom::Component<FailingRecord, vcom::Iface<Dead::IMessage>> {
public:
    explicit FailingRecord(bool throwsMessage) : m_throwsMessage(throwsMessage) {}
    std::int32_t Write(Dead::Stream*) override {
        if (m_throwsMessage)
            throw tarnClientLib::ResourceString(tarnClientLib::kModuleName, 53, "Product Name");
        return -1;
    }
    std::int32_t Read(Dead::Stream*) override { return 0; }

private:
    bool m_throwsMessage;
};

class BinaryExchangeTest : public MakeHttpRequestTest {
protected:
    BinaryExchangeTest() : factory(Dead::GetMessageFactory()) {}
    ~BinaryExchangeTest() override {
        if (record)
            record->Release();
    }

    Dead::IMessage* NewAddressRequest() {
        std::int32_t err = 0;
        return static_cast<Dead::IMessage*>(
            factory->CreateAddressRequest(Dead::IMessage::Id, &err, "product", "category", "server", "att1"));
    }
    static std::string BytesOf(Dead::IMessage* message) {
        Dead::Stream stream = Dead::Stream::Growable(80, 128);
        message->Write(&stream);
        const Dead::Buffer& buffer = stream.GetBuffer();
        return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Length());
    }
    std::string AddressReplyBytes() {
        std::int32_t err = 0;
        vcom::ref<Dead::IMessage> reply(static_cast<Dead::IMessage*>(
            factory->CreateAddressReply(Dead::IMessage::Id, &err, "<servers/>")));
        return BytesOf(reply.get());
    }
    std::int32_t ExchangeWith(Dead::IMessage* request) {
        record = request;
        record->AddRef();
        return Exchange();
    }
    std::int32_t Exchange() {
        return Utility::MakeHttpRequest("127.0.0.1", server.Port(), "QAS Client/1.0", "/addrsrv", "POST", text,
                                        &bytes, &record);
    }

    vcom::ref<Dead::IMessageFactory> factory;
    Dead::IMessage* record = nullptr;
    std::string text;
    std::uint32_t bytes = 0;
};

TEST_F(BinaryExchangeTest, RequestRecordIsPostedAndTheReplyDecodedInItsPlace) {
    const std::string replyBytes = AddressReplyBytes();
    server.Script(Answer(HttpReply(200, replyBytes)));
    record = NewAddressRequest();
    const std::string requestBytes = BytesOf(record);
    Dead::IMessage* const request = record;
    request->AddRef(); // to see it released

    EXPECT_EQ(Exchange(), 200);
    EXPECT_EQ(text, kDecoded);
    EXPECT_EQ(bytes, replyBytes.size());
    EXPECT_EQ(request->Release(), 0);
    ASSERT_NE(record, nullptr);
    EXPECT_NE(record, request);
    EXPECT_EQ(BytesOf(record), replyBytes);
    server.WaitFinished(1);
    EXPECT_EQ(server.Requests().at(0), httptest::ExpectedRequest("/addrsrv", "QAS Client/1.0", server.Port(), requestBytes));
}

TEST_F(BinaryExchangeTest, EmptyReplyFailsToDecodeWithMessage13) {
    server.Script(Answer(HttpReply(200, "")));
    record = NewAddressRequest();
    EXPECT_EQ(Exchange(), 999);
    EXPECT_EQ(text, kMessage13);
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(record, nullptr);
}

TEST_F(BinaryExchangeTest, UndecodableReplyGivesMessage13AndKeepsItsCount) {
    const std::string garbage("\x00\x07 not a record", 15);
    server.Script(Answer(HttpReply(200, garbage)));
    record = NewAddressRequest();
    EXPECT_EQ(Exchange(), 999);
    EXPECT_EQ(text, kMessage13);
    EXPECT_EQ(bytes, 15u);
    EXPECT_EQ(record, nullptr);
}

TEST_F(BinaryExchangeTest, FailureBeforeTheReplyKeepsTheRequestRecord) {
    ShortenWaits();
    server.Script({ReadRequest(), Silent()});
    record = NewAddressRequest();
    Dead::IMessage* const request = record;
    EXPECT_EQ(Exchange(), 999);
    EXPECT_EQ(text, kMessage13);
    EXPECT_EQ(record, request);
}

TEST_F(BinaryExchangeTest, MessageThrownInsideGivesItsText) {
    EXPECT_EQ(ExchangeWith(new FailingRecord(true)), 999);
    EXPECT_EQ(text, "The value provided in the Product Name input argument is missing or invalid");
}

TEST_F(BinaryExchangeTest, RecordThatCannotWriteItselfSendsNothing) {
    EXPECT_EQ(ExchangeWith(new FailingRecord(false)), 999);
    EXPECT_EQ(text, kMessage13);
    server.WaitFinished(1);
    EXPECT_EQ(server.Requests().at(0), "");
}

TEST_F(BinaryExchangeTest, MissingRequestRecordIsRefused) {
    EXPECT_EQ(Exchange(), 999);
    EXPECT_EQ(text, kMessage13);
    EXPECT_EQ(record, nullptr);
}

} // namespace
