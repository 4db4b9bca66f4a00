// How a reply is taken apart: the header, its status and length, and the
// order in which body bytes are served.
#include <string>
#include <vector>

#include "tests/http/TransportTest.h"

namespace {

using httptest::Delivered;
using httptest::FailureText;
using httptest::PostAndRead;
using httptest::TransportTest;
using tarntest::Answer;
using tarntest::Close;
using tarntest::HttpReply;
using tarntest::Pause;
using tarntest::ReadRequest;
using tarntest::ScriptedServer;
using tarntest::Send;
using tarntest::Silent;

using Counts = std::vector<int>;

class ReplyFramingTest : public TransportTest {
protected:
    Delivered Fetch(const std::string& reply, int capacity = 512) {
        server.Script(Answer(reply));
        CHttp http;
        return PostAndRead(http, server.Port(), capacity);
    }
    std::string FetchFailure(const std::string& reply, const std::string& body = std::string()) {
        server.Script(Answer(reply));
        CHttp http;
        return FailureText([&] { PostAndRead(http, server.Port(), 512, body); });
    }
    std::string Request(const std::string& body) const {
        return "POST /t HTTP/1.1\r\nUser-Agent:a\r\nContent-length:" + std::to_string(body.size()) +
               "\r\nHost:127.0.0.1:" + std::to_string(server.Port()) + "\r\n\r\n" + body;
    }

    ScriptedServer server;
};

TEST_F(ReplyFramingTest, Http10StatusLineIsAccepted) {
    EXPECT_EQ(Fetch("HTTP/1.0 200 OK\r\nContent-length: 2\r\n\r\nhi").body, "hi");
}

TEST_F(ReplyFramingTest, VersionTokenMayStandAnywhereInTheHeader) {
    EXPECT_EQ(Fetch("Junk: x\r\nVia: HTTP/1.1 200\r\nContent-length: 2\r\n\r\nhi").body, "hi");
}

TEST_F(ReplyFramingTest, PartialContentAndRedirectAreReadLikeSuccess) {
    for (int status : {206, 302}) {
        ScriptedServer each;
        each.Script(Answer(HttpReply(status, "body")));
        CHttp http;
        EXPECT_EQ(PostAndRead(http, each.Port(), 512).body, "body") << status;
    }
}

TEST_F(ReplyFramingTest, OtherStatusesQuoteTheRequestUpToItsFirstZeroByte) {
    const std::string body("AB\0CD", 5);
    // Everything after the zero byte of the body stays out of the message.
    EXPECT_EQ(FetchFailure("HTTP/1.1 404 Not Found\r\n\r\n", body),
              "CHttp::ProcessHttpHeader : HTTP Request failed - request = " +
                  Request(body).substr(0, Request(body).find('\0')) + "; HTTP Status = 404");
}

TEST_F(ReplyFramingTest, StatusesNextToTheAcceptedOnesAreRefused) {
    for (int status : {100, 199, 201, 205, 207, 301, 303, 500}) {
        ScriptedServer each;
        each.Script(Answer(HttpReply(status, "")));
        CHttp http;
        const std::string failure = FailureText([&] { PostAndRead(http, each.Port(), 512); });
        EXPECT_EQ(failure.substr(failure.find(';')), "; HTTP Status = " + std::to_string(status)) << failure;
    }
}

TEST_F(ReplyFramingTest, StatusWithoutDigitsReadsAsZero) {
    const std::string failure = FetchFailure("HTTP/1.1 OK\r\n\r\n");
    EXPECT_EQ(failure.substr(failure.find(';')), "; HTTP Status = 0");
}

TEST_F(ReplyFramingTest, BlanksBeforeTheStatusAreSkipped) {
    EXPECT_EQ(Fetch("HTTP/1.1    200 OK\r\nContent-length: 1\r\n\r\nx").body, "x");
}

TEST_F(ReplyFramingTest, MissingVersionTokenIsRefused) {
    EXPECT_EQ(FetchFailure("HTTP/2.0 200 OK\r\n\r\n"),
              "CHttp::ProcessHttpHeader : failed - HTTP version info missing from HTTP header");
}

TEST_F(ReplyFramingTest, UpperCaseLengthNameIsIgnoredAndTheBodyEndsAtClose) {
    const std::string body(25, 'z');
    EXPECT_EQ(Fetch("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n" + body).body, body);
}

TEST_F(ReplyFramingTest, BodyWithoutLengthEndsAtClose) {
    std::string body;
    for (int i = 0; i < 1500; ++i)
        body += char('a' + i % 26);
    const Delivered delivered = Fetch(HttpReply(200, "", false) + body);
    EXPECT_EQ(delivered.body, body);
    EXPECT_EQ(delivered.counts.back(), 0);
}

TEST_F(ReplyFramingTest, ServerClosingBeforeTheDeclaredLengthIsNoError) {
    const Delivered delivered = Fetch("HTTP/1.1 200 OK\r\nContent-length: 100\r\n\r\n" + std::string(40, 'q'));
    EXPECT_EQ(delivered.body, std::string(40, 'q'));
    EXPECT_EQ(delivered.counts, (Counts{40, 0}));
}

TEST_F(ReplyFramingTest, BodyBytesThatCameWithTheHeaderAreServedAlone) {
    const std::string first(300, '1'), second(200, '2');
    server.Script({ReadRequest(), Send("HTTP/1.1 200 OK\r\nContent-length: 500\r\n\r\n" + first), Pause(200),
                   Send(second), Close()});
    CHttp http;
    // Room for all 500: the first Read still hands out only the 300 it holds.
    const Delivered delivered = PostAndRead(http, server.Port(), 1000);
    EXPECT_EQ(delivered.counts, (Counts{300, 200, 0}));
    EXPECT_EQ(delivered.body, first + second);
}

TEST_F(ReplyFramingTest, BufferedBodyIsServedInPiecesOfTheCallersSize) {
    const Delivered delivered = Fetch(HttpReply(200, std::string(250, 'b')), 100);
    EXPECT_EQ(delivered.counts, (Counts{100, 100, 50, 0}));
}

TEST_F(ReplyFramingTest, DeclaredZeroLengthDeliversNothingWithoutWaiting) {
    ShortenWaits(100); // a Read that waited on the silent socket would fail
    server.Script({ReadRequest(), Send("HTTP/1.1 200 OK\r\nContent-length: 0\r\n\r\n"), Silent()});
    CHttp http;
    EXPECT_EQ(PostAndRead(http, server.Port(), 512).counts, (Counts{0}));
}

TEST_F(ReplyFramingTest, DeclaredLengthEndsTheBodyWhileTheConnectionStaysOpen) {
    ShortenWaits(100);
    server.Script({ReadRequest(), Send("HTTP/1.1 200 OK\r\nContent-length: 700\r\n\r\n"), Pause(50),
                   Send(std::string(700, 'x')), Silent()});
    CHttp http;
    const Delivered delivered = PostAndRead(http, server.Port(), 512);
    EXPECT_EQ(delivered.body, std::string(700, 'x'));
}

TEST_F(ReplyFramingTest, HeaderInPiecesIsJudgedOnlyOnceComplete) {
    // "20" alone would be a refused status; the length line is split too.
    server.Script({ReadRequest(), Send("HTTP/1.1 20"), Pause(30), Send("0 OK\r\nContent-le"), Pause(30),
                   Send("ngth: 5\r\n"), Pause(30), Send("\r\nhello, and more"), Close()});
    CHttp http;
    const Delivered delivered = PostAndRead(http, server.Port(), 512);
    EXPECT_EQ(delivered.body, "hello, and more");
    EXPECT_EQ(server.Connections(), 1u);
}

TEST_F(ReplyFramingTest, HeaderThatNeverEndsBeforeCloseIsRefused) {
    EXPECT_EQ(FetchFailure("HTTP/1.1 200 OK\r\nContent-length: 5\r\n"),
              "CHttp::Read failed : no data left in the socket, and we haven't found the http header");
    // A closed connection is an answer, not a failure to retry.
    EXPECT_EQ(server.Connections(), 1u);
}

TEST_F(ReplyFramingTest, HeaderLongerThanItsBufferIsRefused) {
    // The blank line arrives only after the 4096 bytes of the header buffer.
    const std::string longHeader = "HTTP/1.1 200 OK\r\nX: " + std::string(5000, 'h') + "\r\n\r\nbody";
    EXPECT_EQ(FetchFailure(longHeader),
              "CHttp::Read failed : no data left in the socket, and we haven't found the http header");
}

TEST_F(ReplyFramingTest, HeaderFillingItsBufferExactlyIsAccepted) {
    const std::string start = "HTTP/1.1 200 OK\r\nX: ";
    const std::string header = start + std::string(4096 - start.size() - 4, 'h') + "\r\n\r\n";
    ASSERT_EQ(header.size(), 4096u);
    EXPECT_EQ(Fetch(header + "tail").body, "tail");
}

} // namespace
