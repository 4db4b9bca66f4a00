// The development server over a socket: what a broken or hostile client
// sends gets an HTTP error status and the server keeps answering, its
// replies framed as the library reads them. (The paths it serves and the
// fault rules as they act: the black-box test's.) What the services answer (each
// status, the server selection, the escaped list, the ticket key) is the
// black-box test's (tarn_blackbox.sh).
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "DataLoader.h"
#include "DefaultData.h"
#include "DevServer.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/ServiceRecordBytes.h"

namespace devserver {
namespace {

std::string AddressRequestBody(const char* product, const char* category, const char* server) {
    return tarntest::RequestRecordBytes(1, {}, {{"product", product}, {"category", category}, {"server", server}});
}

// Connects to 127.0.0.1:port, sends bytes, and returns all it receives until
// the server closes. With halfClose it then closes its sending side, which
// tells a server waiting for more that none will come; the HTTP library then
// takes the client for gone and sends no reply.
std::string Exchange(int port, const std::string& bytes, bool halfClose = false) {
    namespace net = tarntest::loopback;
    const net::Handle socket = net::ConnectTo(static_cast<std::uint16_t>(port));
    if (socket == net::NoSocket)
        throw std::runtime_error("connect");
    net::SendAll(socket, bytes.data(), bytes.size()); // what a server refusing early answered still counts
    if (halfClose)
        net::ShutdownSend(socket);
    std::string received;
    char chunk[4096];
    for (int n; (n = net::Receive(socket, chunk, sizeof chunk)) > 0;)
        received.append(chunk, static_cast<std::size_t>(n));
    net::Close(socket);
    return received;
}

// A POST as the library writes it: lower-case "Content-length:" and no blank.
std::string PostRequest(const std::string& path, const std::string& body) {
    return "POST " + path + " HTTP/1.1\r\nUser-Agent:test\r\nContent-length:" + std::to_string(body.size()) +
           "\r\nHost:127.0.0.1\r\n\r\n" + body;
}

// The status of a raw reply; 0 without a status line.
int StatusOf(const std::string& reply) { return reply.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(reply.c_str() + 9) : 0; }

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
        const std::string reply = Exchange(port, PostRequest("/addrsrv", GoodQuery()));
        ASSERT_EQ(StatusOf(reply), 200);
        const std::size_t end = reply.find("\r\n\r\n");
        const std::string header = reply.substr(0, end + 4), body = reply.substr(end + 4);
        EXPECT_EQ(body.substr(0, 6), tarntest::ReplyRecordBytes(2, 0, {}).substr(0, 6)) << "an address reply, status 0";
        EXPECT_NE(header.find("\r\nContent-length: " + std::to_string(body.size()) + "\r\n"), std::string::npos);
        EXPECT_EQ(header.find("Content-Length"), std::string::npos) << header;
        EXPECT_NE(header.find("\r\nConnection: close\r\n"), std::string::npos) << header;
        EXPECT_NE(header.find("application/octet-stream"), std::string::npos) << header;
    }

    static std::string GoodQuery() { return AddressRequestBody("TARNQUEST", "game", "any"); }
    int PostStatus(const std::string& path, const std::string& body) {
        return StatusOf(Exchange(port, PostRequest(path, body)));
    }

    std::ostringstream logText;
    RequestLog log{logText};
    DevServer server;
    int port = 0;
    std::thread serving;
};

// How the library's decoder reads hostile or cut records is its own test (and
// its fuzz target's); here: the server refuses what the decoder gives it.
TEST_F(RunningServer, BadBodiesAreRefused) {
    const struct {
        const char* what;
        const char* path;
        std::string body;
    } cases[] = {
        {.what = "bytes left over", .path = "/addrsrv", .body = GoodQuery() + "x"},
        {.what = "a short envelope", .path = "/getTicket", .body = Bytes({0, 1})},
        {.what = "the other service's record", .path = "/getTicket", .body = GoodQuery()},
        {.what = "both counts at their largest, no fields", .path = "/addrsrv",
         .body = Bytes({0, 1, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF})},
        {.what = "an unknown kind", .path = "/addrsrv", .body = Bytes({0, 1, 0, 5, 0, 0, 0, 0})},
        {.what = "a query without selectors", .path = "/addrsrv", .body = Bytes({0, 1, 0, 1, 0, 0, 0, 0})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PostStatus(c.path, c.body), 400) << c.what;
    EXPECT_EQ(PostStatus("/addrsrv", std::string(70000, 'a')), 413);
}

TEST_F(RunningServer, BrokenHttpIsRefusedAndAClientLeavingEarlyDoesNotHurt) {
    EXPECT_EQ(StatusOf(Exchange(port, "\x16\x03\x01 not http at all\r\n\r\n")), 400);
    // Announces more body than it sends, then closes its side.
    Exchange(port, "POST /addrsrv HTTP/1.1\r\nContent-length:500\r\n\r\n" + GoodQuery(), true);
    Exchange(port, "POST /addrsrv HTTP/1.1\r\nContent-le", true);
}

} // namespace
} // namespace devserver
