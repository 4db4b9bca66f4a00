// The bytes a request puts on the wire, the requests refused before anything
// is sent, and the socket steps with their attempts and re-connections.
// Failures a loopback peer cannot cause are armed in the platform socket layer.
#include "tests/http/TransportTest.h"
#include "platform/SocketErrorText.h"
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
    const struct { std::string agent; const char* path; const char* extra; std::string body; int length; std::string failure; }
        rows[] = {
        {"a", "p", nullptr, std::string("\0\x01" "AB\0\xff", 6), 6, ""},
        {"a", "/p", "", "", 0, ""}, // empty extra text adds no line
        {std::string(1023 - formatted, 'a'), "/p", nullptr, "", 0, ""},
        {std::string(1024 - formatted, 'a'), "/p", nullptr, "", 0,
         "CHttp::SendPostRequest : request line and headers longer than 1023 characters"},
        {"a", "/p", nullptr, fits, int(fits.size()), ""},
        {"a", "/p", nullptr, over, int(over.size()),
         "CHttp::SendPostRequest : request of 2049 bytes does not fit the 2048-byte request buffer"},
        {"a", "/p", nullptr, "x", -1, "CHttp::SendPostRequest : no body of -1 bytes to send"},
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

// True when no start-up of the socket library is left to clean up.
bool SocketLibraryBalanced() { return platform::SocketCleanup() == platform::SocketError; }

// No server here: on Windows its own socket start-up would hide ours.
TEST_F(RequestTest, StartupFailuresAreReportedAndUndoneAndEveryObjectCleansUp) {
    const struct { SocketCall call; int error; const char* failure; } rows[] = {
        {SocketCall::Startup, 10091, "CHttp::Startup : call to ::WSAStartup failed - error code = 10091"},
        {SocketCall::Startup, 0, "CHttp::Startup : call to ::WSAStartup failed - WinSock 1.1 not supported on client machine"},
        {SocketCall::Open, 10024, "CHttp::CreateSocket : call to ::socket failed - error code = 10024"},
    };
    for (const auto& row : rows) {
        FailSocketCalls(row.call, 1, row.error);
        EXPECT_EQ(FailureText([] { CHttp http; }), row.failure);
        EXPECT_TRUE(SocketLibraryBalanced()) << row.failure;
    }
    { CHttp first, second; }
    EXPECT_TRUE(SocketLibraryBalanced());
}

// Resolution and connect (on the same socket) are tried twice each; a host
// name over 1023 characters is refused before it is looked up.
TEST_F(RequestTest, ResolutionAndConnectFailOnlyTheSecondTime) {
    ScriptedServer server;
    const std::string longest(1023, 'h'), over(1024, 'h');
    const struct { SocketCall call; int times, error; std::string host; const char* failure; } rows[] = {
        {.call = SocketCall::Resolve, .times = 1, .error = 11001, .host = "127.0.0.1", .failure = ""},
        {.call = SocketCall::Resolve, .times = 2, .error = 11001, .host = longest,
         .failure = "CHttp::GetAddress : call to ::gethostbyname failed after 2 tries - last error code = 11001"},
        {.call = SocketCall::Connect, .times = 1, .error = 10061, .host = "127.0.0.1", .failure = ""},
        {.call = SocketCall::Connect, .times = 2, .error = 10060, .host = "127.0.0.1",
         .failure = "CHttp::Connect : call to ::socket failed - error code = 10060"},
        {.call = SocketCall::Resolve, .times = 2, .error = 11001, .host = over,
         .failure = "CHttp::Connect : host name longer than 1023 characters"},
    };
    for (const auto& row : rows) {
        Restore();
        FailSocketCalls(row.call, row.times, row.error);
        EXPECT_EQ(FailureText([&] { CHttp().Connect(row.host.c_str(), server.Port()); }), row.failure);
    }
}

// A 0-byte send is a failed attempt without re-connection; any other failed
// send attempt re-connects, and the send inside that counts as the attempt's,
// so the server gets the request once. (A failed receive: the reset rows of
// MakeHttpRequestTest.) Per connection, '-' received nothing and 'R' the
// request.
TEST_F(RequestTest, FailedSendAttempts) {
    const struct { int times, error; const char *failure, *received, *reply; } rows[] = {
        {.times = 1, .error = 0, .failure = "", .received = "R", .reply = "first"},
        {.times = 2, .error = 0, .failure = "CHttp::SafeSend : failed after 2 send attempts", .received = "-", .reply = ""},
        {.times = 1, .error = 10054, .failure = "", .received = "-R", .reply = "second"},
        {.times = 2, .error = 10054, .failure = "CHttp::Reconnect : call to ::send failed - error code = 10054",
         .received = "--", .reply = ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.received);
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
        for (const char* c = row.received; *c; ++c)
            expected.push_back(*c == 'R' ? Request(server.Port()) : "");
        EXPECT_TRUE(server.WaitFinished(expected.size()));
        EXPECT_EQ(server.Requests(), expected);
    }
}

// A peer that refuses (nothing listens) and one whose accept queue is full,
// which neither accepts nor refuses: each of the two attempts gives up after
// the read time-out. Either fails Connect, or the first send after
// ConnectBeforeSend, naming the socket call and the error.
TEST_F(RequestTest, FailedConnectionNamesTheSocketCallAndTheError) {
    tarntest::loopback::Startup();
    std::uint16_t full = 0;
    const auto listener = tarntest::loopback::Listen(full, 0);
    const auto queued = tarntest::loopback::ConnectTo(full);
    ASSERT_NE(queued, tarntest::loopback::NoSocket);
    for (const std::uint16_t port : {tarntest::loopback::UnusedPort(), full}) {
        if (port == full)
            // A refusal must not race a shortened wait; two 600 ms connect
            // waits stay within the exchange's 1.5 s.
            ShortenWaits(100);
        for (const bool beforeSend : {false, true}) {
            SCOPED_TRACE(testing::Message() << (port == full ? "full queue" : "refused") << beforeSend);
            const std::string failure = FailureText([&] {
                CHttp http;
                if (!beforeSend)
                    return http.Connect("127.0.0.1", port);
                http.ConnectBeforeSend("127.0.0.1", port);
                http.SendPostRequest("a", "/t", nullptr, nullptr, 0);
            });
            // A refusal's number is whatever the second connect on the same
            // socket gives: refused on Linux, aborted under Wine.
            const std::string start = "CHttp::Connect : call to ::socket failed - error code = ";
            ASSERT_EQ(failure.substr(0, start.size()), start);
            const int error = std::stoi(failure.substr(start.size()));
            EXPECT_EQ(port == full, platform::SocketErrorText(error).rfind("timed out", 0) == 0) << error;
        }
    }
    Restore();
    tarntest::loopback::Close(queued);
    tarntest::loopback::Close(listener);
    tarntest::loopback::Cleanup();
}

} // namespace
