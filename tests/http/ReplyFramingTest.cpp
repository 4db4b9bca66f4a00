// How a reply is taken apart: the header, its status and length, and the
// order in which body bytes are served.
#include "tests/http/TransportTest.h"

namespace {

using namespace httptest;
using ReplyFramingTest = TransportTest;

const char kRefused[] = "CHttp::ProcessHttpHeader : HTTP Request failed - request = ";

TEST_F(ReplyFramingTest, StatusLineLengthAndPieces) {
    ScriptedServer server; // one connection per row
    const auto refused = [&](int status) {
        return kRefused + Request(server.Port()) + "; HTTP Status = " + std::to_string(status);
    };
    const std::string ok = "HTTP/1.1 200 OK\r\n", x = "HTTP/1.1 200 OK\r\nX: ";
    const std::string lost = "CHttp::Read failed : no data left in the socket, and we haven't found the http header";
    std::string letters;
    for (int i = 0; i < 200000; ++i)
        letters += char('a' + i % 26);
    const std::string z(25, 'z'), q(40, 'q'), first(300, '1'), second(200, '2');
    // silentAfter shortens the waits, so that a read that waited on the
    // silent socket would fail.
    struct Row { std::vector<Step> script = {}; std::string body = ""; std::string failure = "";
                 bool silentAfter = false; std::string posted = ""; };
    std::vector<Row> rows = {
        // Status line variants
        {.script = Answer("HTTP/1.0 200 OK\r\nContent-length: 2\r\n\r\nhi"), .body = "hi"},
        {.script = Answer("Junk: x\r\nVia: HTTP/1.1 200\r\nContent-length: 2\r\n\r\nhi"), .body = "hi"},
        {.script = Answer("HTTP/1.1    200 OK\r\nContent-length: 1\r\n\r\nx"), .body = "x"},
        {.script = Answer(HttpReply(206, "body")), .body = "body"},
        {.script = Answer(HttpReply(302, "body")), .body = "body"},
        {.script = Answer("HTTP/1.1 OK\r\n\r\n"), .failure = refused(0)},
        {.script = Answer("HTTP/2.0 200 OK\r\n\r\n"),
         .failure = "CHttp::ProcessHttpHeader : failed - HTTP version info missing from HTTP header"},
        // Tokens count only inside the header
        {.script = Answer("HTTP/2.0 200 OK\r\n\r\nHTTP/1.1 200 OK"),
         .failure = "CHttp::ProcessHttpHeader : failed - HTTP version info missing from HTTP header"},
        {.script = Answer(ok + "\r\nContent-length: 1\r\n\r\n" + z), .body = "Content-length: 1\r\n\r\n" + z},
        // Length variants: only the lower-case name counts; without it, or
        // with a negative one, the body ends at close
        {.script = Answer(ok + "Content-Length: 10\r\n\r\n" + z), .body = z},
        {.script = Answer(ok + "Content-length: -1\r\n\r\n" + z), .body = z},
        {.script = Answer(HttpReply(200, "", false) + letters), .body = letters},
        {.script = Answer(HttpReply(200, letters)), .body = letters},
        // Fewer bytes than declared fail the reply (that only the declared
        // ones are the body is the reply fuzz target's rule)
        {.script = Answer(ok + "Content-length: 100\r\n\r\n" + q),
         .failure = "CHttp::Read failed : the connection closed after 40 of the 100 body bytes declared"},
        {.script = {ReadRequest(), Send(ok + "Content-length: 0\r\n\r\n"), Silent()}, .silentAfter = true},
        {.script = {ReadRequest(), Send(ok + "Content-length: 500\r\n\r\n" + first), Pause(200), Send(second), Close()},
         .body = first + second},
        // "20" alone would be a refused status; the length line is split too
        {.script = {ReadRequest(), Send("HTTP/1.1 20"), Pause(30), Send("0 OK\r\nContent-le"), Pause(30),
                    Send("ngth: 5\r\n"), Pause(30), Send("\r\nhello, and more"), Close()},
         .body = "hello"},
        // A header that never ends: before close, or within its 4096-byte buffer
        {.script = Answer(ok + "Content-length: 5\r\n"), .failure = lost},
        {.script = Answer(x + std::string(5000, 'h') + "\r\n\r\nbody"), .failure = lost},
        {.script = Answer(x + std::string(4096 - x.size() - 4, 'h') + "\r\n\r\ntail"), .body = "tail"},
        // Closed before a word: no reply (MakeHttpRequestTest: not retried)
        {.script = {ReadRequest(), Close()}, .body = "no reply"},
    };
    // Statuses next to the accepted ones are refused.
    for (int status : {199, 201, 205, 207, 301, 303})
        rows.push_back({.script = Answer(HttpReply(status, "")), .failure = refused(status)});
    // The status message quotes the request up to its first zero byte.
    const std::string posted("AB\0CD", 5), quoted = Request(server.Port(), posted);
    rows.push_back({.script = Answer("HTTP/1.1 404 Not Found\r\n\r\n"),
                    .failure = kRefused + quoted.substr(0, quoted.find('\0')) + "; HTTP Status = 404",
                    .posted = posted});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const Row& row = rows[i];
        server.Script(row.script);
        if (row.silentAfter)
            ShortenWaits(100);
        std::string body;
        {
            CHttp http;
            EXPECT_EQ(FailureText([&] { body = PostAndRead(http, server.Port(), row.posted); }), row.failure);
        }
        Restore();
        // A closed connection is an answer, not a failure to retry.
        EXPECT_EQ(server.Connections(), i + 1);
        if (row.failure.empty()) {
            EXPECT_TRUE(body == row.body) << body.size();
        }
    }
}

} // namespace
