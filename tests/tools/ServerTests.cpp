// The running server against what a broken or hostile client sends: every
// such request gets an HTTP error status, and the server keeps answering.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "DataLoader.h"
#include "DefaultData.h"
#include "DevServer.h"
#include "WireClient.h"
#include "tests/support/ServiceRecordBytes.h"

namespace devserver {
namespace {

using tarntest::Exchange;
using tarntest::ParseRawReply;
using tarntest::PostRequest;

std::string Bytes(std::initializer_list<int> values) { return std::string(values.begin(), values.end()); }

class RunningServer : public testing::Test {
protected:
    RunningServer() : server(LoadServiceData(DefaultDataJson()), log) {
        port = server.Bind("127.0.0.1", 0);
        serving = std::thread([this] { server.Run(); });
    }
    ~RunningServer() override {
        server.Stop();
        serving.join();
    }

    // After every hostile request the server must still answer a good one,
    // declaring its length as the client reads it.
    void TearDown() override {
        const auto reply = ParseRawReply(Exchange(port, PostRequest("/addrsrv", GoodQuery())));
        ASSERT_EQ(reply.status, 200);
        tarntest::ReplyRecord record;
        EXPECT_TRUE(tarntest::ParseReplyRecord(reply.body, record));
        EXPECT_EQ(record.status, 0);
        const std::string& header = reply.header;
        EXPECT_NE(header.find("\r\nContent-length: " + std::to_string(reply.body.size()) + "\r\n"), std::string::npos);
        EXPECT_EQ(header.find("Content-Length"), std::string::npos) << header;
        EXPECT_NE(header.find("\r\nConnection: close\r\n"), std::string::npos) << header;
        EXPECT_NE(header.find("application/octet-stream"), std::string::npos) << header;
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

TEST_F(RunningServer, EveryTruncationOfARequestIsRefused) {
    const std::string whole = GoodQuery();
    for (std::size_t cut = 0; cut < whole.size(); ++cut)
        EXPECT_EQ(StatusOf("/addrsrv", whole.substr(0, cut)), 400) << "first " << cut << " bytes";
    const std::string ticket = tarntest::CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch");
    for (std::size_t cut = 0; cut < ticket.size(); cut += 7)
        EXPECT_EQ(StatusOf("/getTicket", ticket.substr(0, cut)), 400) << "first " << cut << " bytes";
}

// How the library's decoder reads hostile records is its own test (and its
// fuzz target's); here: the server refuses what the decoder gives it.
TEST_F(RunningServer, BadBodiesAreRefused) {
    const std::pair<const char*, std::string> cases[] = {
        {"/addrsrv", "GET / HTTP/1.0\r\n\r\n"}, {"/addrsrv", GoodQuery() + "x"}, {"/getTicket", Bytes({0, 1})},
        // Both field counts at their largest, no fields behind them.
        {"/addrsrv", Bytes({0, 1, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF})},
        // A reply kind, an unknown kind, another majorId, a query without selectors.
        {"/addrsrv", Bytes({0, 1, 0, 2, 0, 0, 0, 0})}, {"/addrsrv", Bytes({0, 1, 0, 5, 0, 0, 0, 0})},
        {"/addrsrv", Bytes({0, 2, 0, 1, 0, 0, 0, 0})}, {"/addrsrv", Bytes({0, 1, 0, 1, 0, 0, 0, 0})},
        // The other service's record.
        {"/getTicket", GoodQuery()}, {"/addrsrv", tarntest::CustomerRequestBody("TARNQUEST", "a", "b", "launch")},
    };
    for (const auto& [path, body] : cases)
        EXPECT_EQ(StatusOf(path, body), 400) << path << " " << testing::PrintToString(body.substr(0, 20));
    EXPECT_EQ(StatusOf("/addrsrv", std::string(70000, 'a')), 413);
}

TEST_F(RunningServer, BrokenHttpIsRefusedAndAClientLeavingEarlyDoesNotHurt) {
    EXPECT_EQ(ParseRawReply(Exchange(port, "\x16\x03\x01 not http at all\r\n\r\n")).status, 400);
    EXPECT_EQ(ParseRawReply(Exchange(port, "POST\r\n\r\n")).status, 400);
    // Announces more body than it sends, then closes its side.
    Exchange(port, "POST /addrsrv HTTP/1.1\r\nContent-length:500\r\n\r\n" + GoodQuery(), true);
    Exchange(port, "POST /addrsrv HTTP/1.1\r\nContent-le", true);
    Exchange(port, "", true);
}

} // namespace
} // namespace devserver
