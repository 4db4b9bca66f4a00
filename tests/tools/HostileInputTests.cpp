// The running server against what a broken or hostile client sends: every
// such request gets an HTTP error status, and the server keeps answering.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <thread>

#include "DataLoader.h"
#include "DefaultData.h"
#include "DevServer.h"
#include "RawClient.h"
#include "WireRecords.h"

namespace devserver {
namespace {

using tarntest::Exchange;
using tarntest::ParseRawReply;
using tarntest::PostRequest;

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

class RunningServer : public testing::Test {
protected:
    explicit RunningServer(ServiceData data = LoadServiceData(DefaultDataJson())) : server(std::move(data), log) {
        port = server.Bind("127.0.0.1", 0);
        serving = std::thread([this] { server.Run(); });
    }
    ~RunningServer() override { StopServer(); }

    // Afterwards every request has been logged.
    void StopServer() {
        if (!serving.joinable())
            return;
        server.Stop();
        serving.join();
    }

    // After every hostile request the server must still answer a good one.
    void TearDown() override {
        if (!serving.joinable())
            return;
        const auto reply = ParseRawReply(Exchange(port, PostRequest("/addrsrv", GoodQuery())));
        ASSERT_EQ(reply.status, 200);
        EXPECT_EQ(tarntest::ReadReply(reply.body).status, 0);
    }

    static std::string GoodQuery() { return tarntest::AddressRequestBody("TARNQUEST", "game", "any"); }
    int StatusOf(const std::string& path, const std::string& body) {
        return ParseRawReply(Exchange(port, PostRequest(path, body))).status;
    }

    std::ostringstream logText;
    RequestLog log{logText};
    DevServer server;
    int port = 0;
    std::thread serving;
};

TEST_F(RunningServer, ReplyDeclaresItsLengthAsTheClientReadsIt) {
    const std::string raw = Exchange(port, PostRequest("/addrsrv", GoodQuery()));
    const auto reply = ParseRawReply(raw);
    EXPECT_NE(reply.header.find("\r\nContent-length: " + std::to_string(reply.body.size()) + "\r\n"),
              std::string::npos)
        << reply.header;
    EXPECT_EQ(reply.header.find("Content-Length"), std::string::npos) << reply.header;
    EXPECT_NE(reply.header.find("\r\nConnection: close\r\n"), std::string::npos) << reply.header;
    EXPECT_NE(reply.header.find("application/octet-stream"), std::string::npos) << reply.header;
}

TEST_F(RunningServer, EveryTruncationOfARequestIsRefused) {
    const std::string whole = GoodQuery();
    for (std::size_t cut = 0; cut < whole.size(); ++cut)
        EXPECT_EQ(StatusOf("/addrsrv", whole.substr(0, cut)), 400) << "first " << cut << " bytes";
    const std::string ticket = tarntest::CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch");
    for (std::size_t cut = 0; cut < ticket.size(); cut += 7)
        EXPECT_EQ(StatusOf("/getTicket", ticket.substr(0, cut)), 400) << "first " << cut << " bytes";
}

TEST_F(RunningServer, GarbageAndPaddingAreRefused) {
    EXPECT_EQ(StatusOf("/addrsrv", "GET / HTTP/1.0\r\n\r\n"), 400);
    EXPECT_EQ(StatusOf("/addrsrv", std::string(1000, '\xFF')), 400);
    EXPECT_EQ(StatusOf("/addrsrv", std::string(1000, '\0')), 400);
    EXPECT_EQ(StatusOf("/addrsrv", GoodQuery() + "x"), 400);
    EXPECT_EQ(StatusOf("/getTicket", Bytes({0, 1})), 400);
}

TEST_F(RunningServer, HugeDeclaredCountsAndLengthsAreRefused) {
    // Both field counts at their largest, no fields behind them.
    EXPECT_EQ(StatusOf("/addrsrv", Bytes({0, 1, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF})), 400);
    // One field whose name claims 2^31 - 1 bytes.
    EXPECT_EQ(StatusOf("/addrsrv", Bytes({0, 1, 0, 1, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 'p'})), 400);
    // A negative length (stored 00 00 00 00 is -2^31).
    EXPECT_EQ(StatusOf("/getTicket", Bytes({0, 1, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0})), 400);
}

TEST_F(RunningServer, WrongRecordKindsAreRefused) {
    // A reply kind, an unknown kind, another majorId.
    EXPECT_EQ(StatusOf("/addrsrv", Bytes({0, 1, 0, 2, 0, 0, 0, 0})), 400);
    EXPECT_EQ(StatusOf("/addrsrv", Bytes({0, 1, 0, 5, 0, 0, 0, 0})), 400);
    EXPECT_EQ(StatusOf("/addrsrv", Bytes({0, 2, 0, 1, 0, 0, 0, 0})), 400);
    EXPECT_EQ(StatusOf("/getTicket", GoodQuery()), 400);
    EXPECT_EQ(StatusOf("/addrsrv", tarntest::CustomerRequestBody("TARNQUEST", "a", "b", "launch")), 400);
    // A well-formed address query without its selectors.
    EXPECT_EQ(StatusOf("/addrsrv", Bytes({0, 1, 0, 1, 0, 0, 0, 0})), 400);
}

TEST_F(RunningServer, OversizedBodyIsRefused) {
    EXPECT_EQ(StatusOf("/addrsrv", std::string(70000, 'a')), 413);
}

TEST_F(RunningServer, BrokenHttpIsRefused) {
    EXPECT_EQ(ParseRawReply(Exchange(port, "\x16\x03\x01 not http at all\r\n\r\n")).status, 400);
    EXPECT_EQ(ParseRawReply(Exchange(port, "POST\r\n\r\n")).status, 400);
}

TEST_F(RunningServer, ClientLeavingEarlyDoesNotHurt) {
    // Announces more body than it sends, then closes its side.
    const std::string partial = "POST /addrsrv HTTP/1.1\r\nContent-length:500\r\n\r\n" + GoodQuery();
    Exchange(port, partial, true);
    Exchange(port, "POST /addrsrv HTTP/1.1\r\nContent-le", true);
    Exchange(port, "", true);
}

TEST_F(RunningServer, EachRequestIsLoggedOnce) {
    StatusOf("/nowhere", "");
    Exchange(port, "BREW /addrsrv HTTP/1.1\r\n\r\n");
    StopServer();
    const std::string text = logText.str();
    EXPECT_NE(text.find(" POST /nowhere -> 404 unknown path\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" -> 400 refused by the HTTP layer\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
}

// The two faults that need the connection itself.
class FaultyServer : public RunningServer {
protected:
    FaultyServer() : RunningServer(WithFaults()) {}

    static ServiceData WithFaults() {
        ServiceData data = LoadServiceData(DefaultDataJson());
        data.servlets = {"getTicket", "slow"};
        data.faults = {ParseFaultRule("/getTicket=close"), ParseFaultRule("/slow=hang")};
        return data;
    }
};

TEST_F(FaultyServer, CloseSendsNothing) {
    const std::string body = tarntest::CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch");
    EXPECT_EQ(Exchange(port, PostRequest("/getTicket", body)), "");
    StopServer();
    EXPECT_NE(logText.str().find("-> closed without a reply (fault close)"), std::string::npos) << logText.str();
}

TEST_F(FaultyServer, HangSendsNothingAndEndsWhenTheClientLeaves) {
    // The client half-closes after its request: the server sees it go.
    const std::string body = tarntest::CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch");
    EXPECT_EQ(Exchange(port, PostRequest("/slow", body), true), "");
    StopServer();
    EXPECT_NE(logText.str().find("POST /slow product=TARNQUEST event=launch account=alice -> no answer (fault hang)"),
              std::string::npos)
        << logText.str();
}

} // namespace
} // namespace devserver
