// The bytes a request puts on the wire, and the requests refused before
// anything is sent.
#include <string>

#include "http/MakeHttpRequest.h"
#include "tests/http/TransportTest.h"

namespace {

using httptest::FailureText;
using httptest::TransportTest;
using tarntest::Answer;
using tarntest::HttpReply;
using tarntest::ScriptedServer;

class RequestBytesTest : public TransportTest {
protected:
    RequestBytesTest() { server.Script(Answer(HttpReply(200, "ok"))); }

    std::string Received() {
        server.WaitFinished(1);
        return server.Requests().at(0);
    }
    // Runs action on a connected CHttp; gives what action threw (or "") and,
    // once the connection is closed, the bytes the server received.
    template <class Action>
    std::string Sent(Action&& action, std::string* failure = nullptr) {
        std::string text;
        {
            CHttp http;
            http.Connect("127.0.0.1", server.Port());
            text = FailureText([&] { action(http); });
        }
        if (failure)
            *failure = text;
        else
            EXPECT_EQ(text, "");
        return Received();
    }
    std::string Port() const { return std::to_string(server.Port()); }

    ScriptedServer server;
};

TEST_F(RequestBytesTest, PathWithoutSlashGetsOneAndEveryLineIsExact) {
    std::string text;
    std::uint32_t bytes = 0;
    ASSERT_EQ(Utility::MakeHttpRequest("127.0.0.1", server.Port(), "QAS Client/1.0", "addrsrv", "POST", text, &bytes,
                                       nullptr),
              200);
    EXPECT_EQ(Received(), "POST /addrsrv HTTP/1.1\r\n"
                          "User-Agent:QAS Client/1.0\r\n"
                          "Content-length:0\r\n"
                          "Host:127.0.0.1:" + Port() + "\r\n"
                          "Accept: application/octet-stream\r\n"
                          "Accept: text/*\r\n"
                          "Content-Type: application/octet-stream\r\n"
                          "\r\n");
}

TEST_F(RequestBytesTest, PathWithSlashIsSentUnchanged) {
    std::string text;
    std::uint32_t bytes = 0;
    ASSERT_EQ(Utility::MakeHttpRequest("127.0.0.1", server.Port(), "QAS Client/1.0", "/addrsrv", "GET", text, &bytes,
                                       nullptr),
              200);
    // The method is always POST, whatever the request type says.
    EXPECT_EQ(Received(), httptest::ExpectedRequest("/addrsrv", "QAS Client/1.0", server.Port()));
}

TEST_F(RequestBytesTest, BodyFollowsTheBlankLineByteForByte) {
    const std::string body("\0\x01" "AB\0\xff", 6);
    const std::string sent =
        Sent([&](CHttp& http) { http.SendPostRequest("a", "p", nullptr, body.data(), static_cast<int>(body.size())); });
    EXPECT_EQ(sent, "POST /p HTTP/1.1\r\nUser-Agent:a\r\nContent-length:6\r\nHost:127.0.0.1:" + Port() +
                              "\r\n\r\n" + body);
}

TEST_F(RequestBytesTest, EmptyExtraHeaderTextAddsNoLine) {
    const std::string sent = Sent([](CHttp& http) { http.SendPostRequest("a", "/p", "", nullptr, 0); });
    EXPECT_EQ(sent, "POST /p HTTP/1.1\r\nUser-Agent:a\r\nContent-length:0\r\nHost:127.0.0.1:" + Port() +
                              "\r\n\r\n");
}

// The request line to the host line is formatted in 1024 bytes: 1023
// characters and the terminator.
std::string AgentForFormattedLength(std::size_t formatted, std::uint16_t port) {
    const std::string fixed = "/p HTTP/1.1\r\nUser-Agent:\r\nContent-length:0\r\nHost:127.0.0.1:" + std::to_string(port);
    return std::string(formatted - fixed.size(), 'a');
}

TEST_F(RequestBytesTest, FormattedPartOf1023CharactersIsSent) {
    const std::string agent = AgentForFormattedLength(1023, server.Port());
    const std::string sent = Sent([&](CHttp& http) { http.SendPostRequest(agent.c_str(), "/p", nullptr, nullptr, 0); });
    EXPECT_EQ(sent.size(), 5u + 1023 + 4);
}

TEST_F(RequestBytesTest, FormattedPartOf1024CharactersIsRefusedBeforeSending) {
    const std::string agent = AgentForFormattedLength(1024, server.Port());
    std::string failure;
    EXPECT_EQ(Sent([&](CHttp& http) { http.SendPostRequest(agent.c_str(), "/p", nullptr, nullptr, 0); }, &failure), "");
    EXPECT_EQ(failure, "CHttp::SendPostRequest : request line and headers longer than 1023 characters");
}

class RequestBufferTest : public RequestBytesTest {
protected:
    // Text of "POST /p ..." with agent "a" and a body of n bytes, no extra headers.
    std::size_t TextLength(std::size_t n) const {
        return std::string("POST /p HTTP/1.1\r\nUser-Agent:a\r\nContent-length:" + std::to_string(n) +
                           "\r\nHost:127.0.0.1:" + Port() + "\r\n\r\n")
            .size();
    }
};

TEST_F(RequestBufferTest, TextAndBodyFilling2048BytesAreSent) {
    const std::size_t bodyLength = 2048 - TextLength(2000);
    const std::string body(bodyLength, 'b');
    const std::string sent =
        Sent([&](CHttp& http) { http.SendPostRequest("a", "/p", nullptr, body.data(), static_cast<int>(body.size())); });
    EXPECT_EQ(sent.size(), 2048u);
    EXPECT_EQ(tarntest::RequestBody(sent), body);
}

TEST_F(RequestBufferTest, OneByteMoreIsRefusedBeforeSending) {
    const std::size_t bodyLength = 2049 - TextLength(2000);
    const std::string body(bodyLength, 'b');
    std::string failure;
    EXPECT_EQ(Sent([&](CHttp& http) { http.SendPostRequest("a", "/p", nullptr, body.data(), static_cast<int>(body.size())); },
                   &failure),
              "");
    EXPECT_EQ(failure, "CHttp::SendPostRequest : request of 2049 bytes does not fit the 2048-byte request buffer");
}

TEST_F(RequestBufferTest, NegativeBodyLengthIsRefused) {
    std::string failure;
    EXPECT_EQ(Sent([](CHttp& http) { http.SendPostRequest("a", "/p", nullptr, "x", -1); }, &failure), "");
    EXPECT_EQ(failure, "CHttp::SendPostRequest : no body of -1 bytes to send");
}

TEST_F(RequestBytesTest, HostOf1024CharactersIsRefusedBeforeConnecting) {
    const std::string host(1024, 'h');
    CHttp http;
    EXPECT_EQ(FailureText([&] { http.Connect(host.c_str(), server.Port()); }),
              "CHttp::Connect : host name longer than 1023 characters");
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(RequestBytesTest, HostOf1023CharactersIsLookedUp) {
    const std::string host(1023, 'h');
    CHttp http;
    EXPECT_EQ(FailureText([&] { http.Connect(host.c_str(), server.Port()); }).rfind("CHttp::GetAddress : ", 0), 0u);
}

} // namespace
