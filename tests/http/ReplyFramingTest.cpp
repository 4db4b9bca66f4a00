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
    for (int i = 0; i < 1500; ++i)
        letters += char('a' + i % 26);
    const std::string z(25, 'z'), q(40, 'q'), b(250, 'b'), many(700, 'x'), first(300, '1'), second(200, '2');
    // counts are checked when given; silentAfter shortens the waits, so that
    // a Read that waited on the silent socket would fail.
    struct Row { std::vector<Step> script; std::string body; std::vector<int> counts; std::string failure;
                 int capacity = 512; bool silentAfter = false; std::string posted; };
    std::vector<Row> rows = {
        // Status line variants
        {Answer("HTTP/1.0 200 OK\r\nContent-length: 2\r\n\r\nhi"), "hi"},
        {Answer("Junk: x\r\nVia: HTTP/1.1 200\r\nContent-length: 2\r\n\r\nhi"), "hi"},
        {Answer("HTTP/1.1    200 OK\r\nContent-length: 1\r\n\r\nx"), "x"},
        {Answer(HttpReply(206, "body")), "body"},
        {Answer(HttpReply(302, "body")), "body"},
        {Answer("HTTP/1.1 OK\r\n\r\n"), "", {}, refused(0)},
        {Answer("HTTP/2.0 200 OK\r\n\r\n"), "", {}, "CHttp::ProcessHttpHeader : failed - HTTP version info missing from HTTP header"},
        // Length variants: only the lower-case name counts; without it the body ends at close
        {Answer(ok + "Content-Length: 10\r\n\r\n" + z), z},
        {Answer(HttpReply(200, "", false) + letters), letters},
        {Answer(ok + "Content-length: 100\r\n\r\n" + q), q, {40, 0}},
        {{ReadRequest(), Send(ok + "Content-length: 0\r\n\r\n"), Silent()}, "", {0}, "", 512, true},
        {{ReadRequest(), Send(ok + "Content-length: 700\r\n\r\n"), Pause(50), Send(many), Silent()}, many, {}, "", 512, true},
        // Pieces: body bytes that came with the header are served alone, in the caller's sizes
        {{ReadRequest(), Send(ok + "Content-length: 500\r\n\r\n" + first), Pause(200), Send(second), Close()},
         first + second, {300, 200, 0}, "", 1000},
        {Answer(HttpReply(200, b)), b, {100, 100, 50, 0}, "", 100},
        // "20" alone would be a refused status; the length line is split too
        {{ReadRequest(), Send("HTTP/1.1 20"), Pause(30), Send("0 OK\r\nContent-le"), Pause(30), Send("ngth: 5\r\n"),
          Pause(30), Send("\r\nhello, and more"), Close()},
         "hello, and more"},
        // A header that never ends: before close, or within its 4096-byte buffer
        {Answer(ok + "Content-length: 5\r\n"), "", {}, lost},
        {Answer(x + std::string(5000, 'h') + "\r\n\r\nbody"), "", {}, lost},
        {Answer(x + std::string(4096 - x.size() - 4, 'h') + "\r\n\r\ntail"), "tail"},
    };
    // Statuses next to the accepted ones are refused.
    for (int status : {199, 201, 205, 207, 301, 303})
        rows.push_back({Answer(HttpReply(status, "")), "", {}, refused(status)});
    // The status message quotes the request up to its first zero byte.
    const std::string posted("AB\0CD", 5), quoted = Request(server.Port(), posted);
    rows.push_back({Answer("HTTP/1.1 404 Not Found\r\n\r\n"), "", {},
                    kRefused + quoted.substr(0, quoted.find('\0')) + "; HTTP Status = 404", 512, false, posted});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const Row& row = rows[i];
        server.Script(row.script);
        if (row.silentAfter)
            ShortenWaits(100);
        Delivered delivered;
        {
            CHttp http;
            EXPECT_EQ(FailureText([&] { delivered = PostAndRead(http, server.Port(), row.capacity, row.posted); }), row.failure);
        }
        Restore();
        // A closed connection is an answer, not a failure to retry.
        EXPECT_EQ(server.Connections(), i + 1);
        if (row.failure.empty())
            EXPECT_EQ(delivered.body, row.body);
        if (!row.counts.empty())
            EXPECT_EQ(delivered.counts, row.counts);
    }
}

} // namespace
