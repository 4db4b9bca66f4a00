// The socket steps of a connection: start-up, resolution, connecting, and the
// guarded send and receive with their attempts and re-connections. Failures
// that a loopback peer cannot cause are armed in the platform socket layer.
#include <string>
#include <vector>

#include "platform/Socket.h"
#include "tests/http/TransportTest.h"
#include "tests/support/LoopbackSocket.h"

namespace {

using httptest::FailureText;
using httptest::Post;
using httptest::PostAndRead;
using httptest::TransportTest;
using platform::FailSocketCalls;
using platform::SocketCall;
using tarntest::Answer;
using tarntest::Close;
using tarntest::HttpReply;
using tarntest::ReadRequest;
using tarntest::ScriptedServer;
using tarntest::Silent;
using Requests = std::vector<std::string>;

// No server here: on Windows its own socket start-up would hide ours.
using StartupTest = TransportTest;

// True when no start-up of the socket library is left to clean up.
bool SocketLibraryBalanced() { return platform::SocketCleanup() == platform::SocketError; }

TEST_F(StartupTest, StartupErrorIsReportedWithItsNumber) {
    FailSocketCalls(SocketCall::Startup, 1, 10091);
    EXPECT_EQ(FailureText([] { CHttp http; }), "CHttp::Startup : call to ::WSAStartup failed - error code = 10091");
    EXPECT_TRUE(SocketLibraryBalanced());
}

TEST_F(StartupTest, AnotherVersionIsCleanedUpBeforeTheFailure) {
    FailSocketCalls(SocketCall::Startup, 1, 0);
    EXPECT_EQ(FailureText([] { CHttp http; }),
              "CHttp::Startup : call to ::WSAStartup failed - WinSock 1.1 not supported on client machine");
    EXPECT_TRUE(SocketLibraryBalanced());
}

TEST_F(StartupTest, SocketFailureIsReportedAndTheStartupUndone) {
    FailSocketCalls(SocketCall::Open, 1, 10024);
    EXPECT_EQ(FailureText([] { CHttp http; }), "CHttp::CreateSocket : call to ::socket failed - error code = 10024");
    EXPECT_TRUE(SocketLibraryBalanced());
}

TEST_F(StartupTest, EveryObjectCleansUpWhatItStarted) {
    {
        CHttp first;
        CHttp second;
    }
    EXPECT_TRUE(SocketLibraryBalanced());
}

class SocketStepsTest : public TransportTest {
protected:
    std::string Request() const { return Request(server.Port()); }
    static std::string Request(std::uint16_t port) {
        return "POST /t HTTP/1.1\r\nUser-Agent:a\r\nContent-length:0\r\nHost:127.0.0.1:" + std::to_string(port) +
               "\r\n\r\n";
    }
    // The bytes of every connection once count of them have ended.
    Requests Received(std::size_t count) {
        EXPECT_TRUE(server.WaitFinished(count));
        return server.Requests();
    }

    ScriptedServer server;
};

TEST_F(SocketStepsTest, UnresolvableHostIsLookedUpTwice) {
    CHttp http;
    const std::string failure = FailureText([&] { http.Connect("no-such-host.invalid", 80); });
    const std::string start = "CHttp::GetAddress : call to ::gethostbyname failed after 2 tries - last error code = ";
    ASSERT_EQ(failure.substr(0, start.size()), start);
    EXPECT_GT(std::stoi(failure.substr(start.size())), 0);
}

TEST_F(SocketStepsTest, ResolutionFailingOnceIsRetried) {
    server.Script(Answer(HttpReply(200, "ok")));
    FailSocketCalls(SocketCall::Resolve, 1, 11001);
    CHttp http;
    EXPECT_EQ(PostAndRead(http, server.Port(), 512).body, "ok");
}

TEST_F(SocketStepsTest, ResolutionIsTriedExactlyTwicePerConnect) {
    FailSocketCalls(SocketCall::Resolve, 4, 11001);
    for (int call = 0; call < 2; ++call) {
        CHttp http;
        EXPECT_EQ(FailureText([&] { http.Connect("127.0.0.1", server.Port()); }),
                  "CHttp::GetAddress : call to ::gethostbyname failed after 2 tries - last error code = 11001");
    }
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(SocketStepsTest, RefusedConnectionNamesSocketAndTheError) {
    CHttp http;
    const std::string failure = FailureText([&] { http.Connect("127.0.0.1", tarntest::loopback::UnusedPort()); });
    // The number is whatever the second connect on the same socket gives:
    // refused on Linux, aborted under Wine.
    const std::string start = "CHttp::Connect : call to ::socket failed - error code = ";
    ASSERT_EQ(failure.substr(0, start.size()), start);
    EXPECT_GT(std::stoi(failure.substr(start.size())), 0);
}

TEST_F(SocketStepsTest, ConnectFailingOnceIsRetriedOnTheSameSocket) {
    server.Script(Answer(HttpReply(200, "ok")));
    FailSocketCalls(SocketCall::Connect, 1, 10061);
    CHttp http;
    EXPECT_EQ(PostAndRead(http, server.Port(), 512).body, "ok");
    EXPECT_EQ(server.Connections(), 1u);
}

TEST_F(SocketStepsTest, ConnectFailingTwiceReportsTheLastError) {
    FailSocketCalls(SocketCall::Connect, 2, 10060);
    CHttp http;
    EXPECT_EQ(FailureText([&] { http.Connect("127.0.0.1", server.Port()); }),
              "CHttp::Connect : call to ::socket failed - error code = 10060");
}

TEST_F(SocketStepsTest, SendOfNothingTwiceFailsWithoutReconnecting) {
    {
        CHttp http;
        http.Connect("127.0.0.1", server.Port());
        FailSocketCalls(SocketCall::Send, 2, 0);
        EXPECT_EQ(FailureText([&] { http.SendPostRequest("a", "/t", nullptr, nullptr, 0); }),
                  "CHttp::SafeSend : failed after 2 send attempts");
    }
    EXPECT_EQ(Received(1), Requests{""});
}

TEST_F(SocketStepsTest, SendOfNothingOnceIsRetriedOnTheSameConnection) {
    server.Script(Answer(HttpReply(200, "ok")));
    {
        CHttp http;
        http.Connect("127.0.0.1", server.Port());
        FailSocketCalls(SocketCall::Send, 1, 0);
        http.SendPostRequest("a", "/t", nullptr, nullptr, 0);
    }
    EXPECT_EQ(Received(1), Requests{Request()});
}

// A send attempt that fails re-connects; the request sent on the new
// connection is that attempt's send, so the server gets it once.
TEST_F(SocketStepsTest, FailedSendAttemptReconnectsAndSendsTheRequestOnce) {
    for (const SocketCall failing : {SocketCall::Send, SocketCall::Select}) {
        ScriptedServer each;
        each.Script({ReadRequest(), Close()});
        each.Script(Answer(HttpReply(200, "second")));
        FailSocketCalls(failing, 1, failing == SocketCall::Send ? 10054 : 0);
        {
            CHttp http;
            EXPECT_EQ(PostAndRead(http, each.Port(), 512).body, "second");
        }
        EXPECT_TRUE(each.WaitFinished(2));
        EXPECT_EQ(each.Requests(), (Requests{"", Request(each.Port())}));
    }
}

TEST_F(SocketStepsTest, SendFailingAgainAfterReconnectingIsReported) {
    CHttp http;
    http.Connect("127.0.0.1", server.Port());
    FailSocketCalls(SocketCall::Send, 2, 10054);
    EXPECT_EQ(FailureText([&] { http.SendPostRequest("a", "/t", nullptr, nullptr, 0); }),
              "CHttp::Reconnect : call to ::send failed - error code = 10054");
}

TEST_F(SocketStepsTest, SilentServerFailsTheReadAfterTwoReconnections) {
    ShortenWaits();
    server.Script({ReadRequest(), Silent()});
    {
        CHttp http;
        EXPECT_EQ(FailureText([&] { PostAndRead(http, server.Port(), 512); }),
                  "CHttp::SafeRead : failed after 2 read attempts");
    }
    // Each re-connection sent the request again.
    EXPECT_EQ(Received(3), (Requests{Request(), Request(), Request()}));
}

// A failed receive or read wait re-connects and re-sends; the reply read is
// the one to the request sent again.
TEST_F(SocketStepsTest, FailedReceiveAttemptReadsTheReplyToTheRequestSentAgain) {
    for (const SocketCall failing : {SocketCall::Receive, SocketCall::Select}) {
        ScriptedServer each;
        each.Script(Answer(HttpReply(200, "first")));
        each.Script(Answer(HttpReply(200, "second")));
        {
            CHttp http;
            Post(http, each.Port());
            FailSocketCalls(failing, 1, 10054);
            char chunk[64];
            int count = 0;
            http.Read(chunk, sizeof chunk, count);
            EXPECT_EQ(std::string(chunk, std::size_t(count)), "second");
        }
        EXPECT_TRUE(each.WaitFinished(2));
        EXPECT_EQ(each.Requests(), (Requests{Request(each.Port()), Request(each.Port())}));
    }
}

TEST_F(SocketStepsTest, PendingBytesAreCountedAndAFailedQueryCountsNone) {
    const std::string reply = HttpReply(200, "abc");
    server.Script({ReadRequest(), tarntest::Send(reply), Silent()});
    CHttp http;
    Post(http, server.Port());
    ASSERT_TRUE(http.WaitForData(10000));
    EXPECT_EQ(http.QueryDataAvailable(), int(reply.size()));
    FailSocketCalls(SocketCall::Pending, 1, 10038);
    EXPECT_EQ(http.QueryDataAvailable(), 0);
}

TEST_F(SocketStepsTest, TeardownFailuresAreOnlyTracedAndTheSocketIsClosed) {
    server.Script({ReadRequest(), Silent()});
    {
        CHttp http;
        Post(http, server.Port());
        FailSocketCalls(SocketCall::Shutdown, 1, 10038);
        FailSocketCalls(SocketCall::Close, 1, 10038);
        FailSocketCalls(SocketCall::Cleanup, 1, 10093);
    }
    EXPECT_TRUE(server.WaitFinished(1));
}

} // namespace
