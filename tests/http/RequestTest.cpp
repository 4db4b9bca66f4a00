// The bytes a request puts on the wire, the requests refused before anything
// is sent, and the socket steps with their attempts and re-connections.
// Failures a loopback peer cannot cause are armed in the platform socket layer.
#include "tests/http/TransportTest.h"
#include "tests/support/LoopbackSocket.h"

namespace {

using namespace httptest;
using RequestTest = TransportTest;
using platform::FailSocketCalls;
using platform::SocketCall;

// The request line to the host line is formatted in 1024 bytes (1023
// characters and the terminator); text and body go out of 2048 bytes.
TEST_F(RequestTest, PostIsSentByteForByteOrRefusedBeforeSending) {
    ScriptedServer server; // every connection reads the request and closes
    const std::size_t formatted =
        ("/p HTTP/1.1\r\nUser-Agent:\r\nContent-length:0\r\nHost:127.0.0.1:" + std::to_string(server.Port())).size();
    const std::size_t text = Request(server.Port(), std::string(2000, 'b'), "/p").size() - 2000;
    const std::string fits(2048 - text, 'b'), over(2049 - text, 'b');
    const struct {
        std::string agent = "a";
        const char* path = "/p";
        const char* extra = nullptr;
        std::string body = "";
        int length = 0;
        std::string failure = "";
    } rows[] = {
        {.path = "p", .body = std::string("\0\x01" "AB\0\xff", 6), .length = 6},
        {.extra = ""}, // empty extra text adds no line
        {.agent = std::string(1023 - formatted, 'a')},
        {.agent = std::string(1024 - formatted, 'a'),
         .failure = "CHttp::SendPostRequest : request line and headers longer than 1023 characters"},
        {.body = fits, .length = int(fits.size())},
        {.body = over, .length = int(over.size()),
         .failure = "CHttp::SendPostRequest : request of 2049 bytes does not fit the 2048-byte request buffer"},
        {.body = "x", .length = -1, .failure = "CHttp::SendPostRequest : no body of -1 bytes to send"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const auto& row = rows[i];
        {
            CHttp http;
            http.Connect("127.0.0.1", server.Port());
            EXPECT_EQ(FailureText([&] {
                          http.SendPostRequest(row.agent.c_str(), row.path, row.extra,
                                               row.body.empty() ? nullptr : row.body.data(), row.length);
                      }),
                      row.failure);
        }
        ASSERT_TRUE(server.WaitFinished(i + 1));
        EXPECT_EQ(server.Requests().at(i), row.failure.empty() ? Request(server.Port(), row.body, "/p", row.agent) : "");
    }
}

// Resolution and connect (on the same socket) are tried twice each; a host
// name over 1023 characters is refused before it is looked up. A peer whose
// accept queue is full neither accepts nor refuses: each of the two connect
// attempts gives up after the read time-out, in Connect or, after
// ConnectBeforeSend, at the first send. (A refused connection: the host call
// control test.)
TEST_F(RequestTest, ResolutionAndConnectAreTriedTwice) {
    ScriptedServer server;
    tarntest::loopback::Startup();
    std::uint16_t full = 0;
    const auto listener = tarntest::loopback::Listen(full, 0);
    const auto queued = tarntest::loopback::ConnectTo(full);
    ASSERT_NE(queued, tarntest::loopback::NoSocket);
    const std::string longest(1023, 'h'), over(1024, 'h');
    platform::SocketTimedOut(); // the system's number for a connection that timed out
    const std::string timedOut =
        "CHttp::Connect : call to ::socket failed - error code = " + std::to_string(platform::SocketLastError());
    const struct {
        SocketCall call = SocketCall::Resolve;
        int times = 0, error = 0;
        std::string host = "127.0.0.1";
        std::uint16_t port;
        bool beforeSend = false;
        std::string failure = "";
    } rows[] = {
        {.times = 1, .error = 11001, .port = server.Port()},
        {.times = 2, .error = 11001, .host = longest, .port = server.Port(),
         .failure = "CHttp::GetAddress : call to ::gethostbyname failed after 2 tries - last error code = 11001"},
        {.call = SocketCall::Connect, .times = 1, .error = 10061, .port = server.Port()},
        {.call = SocketCall::Connect, .times = 2, .error = 10060, .port = server.Port(),
         .failure = "CHttp::Connect : call to ::socket failed - error code = 10060"},
        {.times = 2, .error = 11001, .host = over, .port = server.Port(),
         .failure = "CHttp::Connect : host name longer than 1023 characters"},
        {.port = full, .failure = timedOut},
        {.port = full, .beforeSend = true, .failure = timedOut},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.failure);
        Restore();
        if (row.port == full)
            // Two 600 ms connect waits stay within the exchange's 1.5 s.
            ShortenWaits(100);
        FailSocketCalls(row.call, row.times, row.error);
        EXPECT_EQ(FailureText([&] {
                      CHttp http;
                      if (!row.beforeSend)
                          return http.Connect(row.host.c_str(), row.port);
                      http.ConnectBeforeSend(row.host.c_str(), row.port);
                      http.SendPostRequest("a", "/t", nullptr, nullptr, 0);
                  }),
                  row.failure);
    }
    Restore();
    tarntest::loopback::Close(queued);
    tarntest::loopback::Close(listener);
    tarntest::loopback::Cleanup();
}

// A 0-byte send is a failed attempt without re-connection; any other failed
// send attempt re-connects, and the send inside that counts as the attempt's,
// so the server gets the request once. (A failed receive: the reset rows of
// MakeHttpRequestTest.)
TEST_F(RequestTest, FailedSendAttempts) {
    const struct {
        int times, error;
        const char* failure = "";
        std::vector<bool> requestReceived; // per connection
        const char* reply = "";
    } rows[] = {
        {.times = 1, .error = 0, .requestReceived = {true}, .reply = "first"},
        {.times = 2, .error = 0, .failure = "CHttp::SafeSend : failed after 2 send attempts",
         .requestReceived = {false}},
        {.times = 1, .error = 10054, .requestReceived = {false, true}, .reply = "second"},
        {.times = 2, .error = 10054, .failure = "CHttp::Reconnect : call to ::send failed - error code = 10054",
         .requestReceived = {false, false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.failure);
        ScriptedServer server;
        server.Script(Answer(HttpReply(200, "first")));
        server.Script(Answer(HttpReply(200, "second")));
        std::string reply;
        {
            CHttp http;
            FailSocketCalls(SocketCall::Send, row.times, row.error);
            EXPECT_EQ(FailureText([&] { reply = PostAndRead(http, server.Port()); }), row.failure);
            Restore();
        }
        EXPECT_EQ(reply, row.reply);
        Requests expected;
        for (const bool received : row.requestReceived)
            expected.push_back(received ? Request(server.Port()) : "");
        EXPECT_TRUE(server.WaitFinished(expected.size()));
        EXPECT_EQ(server.Requests(), expected);
    }
}

} // namespace
