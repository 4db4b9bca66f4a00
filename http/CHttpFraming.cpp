// The framing of CHttp: the request bytes, the reply header, the body.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "http/CHttp.h"
#include "messages/Trace.h"

using tarnClientLib::Trace;

namespace {

// The request line to the host line is put together here before it is appended.
constexpr std::size_t ScratchSize = 1024;
constexpr char Method[] = "POST ";
constexpr char Protocol[] = "HTTP/1.1";
constexpr char LineEnd[] = "\r\n";
constexpr char BlankLine[] = "\r\n\r\n";

// Each receive of a body of undeclared length asks for this much: what is
// pending comes in large pieces.
constexpr int BodyPiece = 64 * 1024;

// Appends text at *at, which the caller has checked to fit.
void Append(char*& at, const char* text, std::size_t length) {
    std::memcpy(at, text, length);
    at += length;
}

// A text put together piece by piece in a fixed array, as snprintf would
// print it but without a format to interpret on every request.
class ScratchText {
public:
    ScratchText& operator<<(std::string_view piece) {
        // Room is kept for the NUL snprintf would write.
        if (piece.size() >= sizeof m_text - m_length)
            m_fits = false;
        if (m_fits) {
            std::memcpy(m_text + m_length, piece.data(), piece.size());
            m_length += piece.size();
        }
        return *this;
    }
    ScratchText& operator<<(int number) {
        char digits[16];
        const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
        return *this << std::string_view(digits, static_cast<std::size_t>(end.ptr - digits));
    }

    bool Fits() const { return m_fits; }
    const char* Text() const { return m_text; }
    std::size_t Length() const { return m_length; }

private:
    char m_text[ScratchSize];
    std::size_t m_length = 0;
    bool m_fits = true;
};

} // namespace

void CHttp::SendPostRequest(const char* userAgent, const char* targetPath, const char* extraHeaders,
                            const void* body, int bodyLength) {
    const char* agent = userAgent ? userAgent : "";
    const char* path = targetPath ? targetPath : "";
    Trace("CHttp::SendPostRequest UserAgent:%s, target_path:%s\n", agent, path);
    if (bodyLength < 0 || (bodyLength > 0 && body == nullptr))
        CHttpException::Raise("CHttp::SendPostRequest : no body of " + std::to_string(bodyLength) + " bytes to send");

    ScratchText scratch;
    scratch << path << " " << Protocol << "\r\nUser-Agent:" << agent << "\r\nContent-length:" << bodyLength
            << "\r\nHost:" << m_hostName << ":" << m_port;
    if (!scratch.Fits())
        CHttpException::Raise("CHttp::SendPostRequest : request line and headers longer than " +
                              std::to_string(ScratchSize - 1) + " characters");
    const std::size_t formatted = scratch.Length();

    const char* slash = path[0] == '/' ? "" : "/";
    const bool extra = extraHeaders != nullptr && extraHeaders[0] != '\0';
    const std::size_t extraLength = extra ? std::strlen(LineEnd) + std::strlen(extraHeaders) : 0;
    const std::size_t textLength = std::strlen(Method) + std::strlen(slash) + formatted + extraLength +
                                   std::strlen(BlankLine);
    // Without a body the text keeps its terminating zero inside the buffer.
    const std::size_t needed = textLength + std::max<std::size_t>(std::size_t(bodyLength), 1);
    if (needed > sizeof m_requestBuf)
        CHttpException::Raise("CHttp::SendPostRequest : request of " + std::to_string(textLength + bodyLength) +
                              " bytes does not fit the " + std::to_string(sizeof m_requestBuf) +
                              "-byte request buffer");

    std::memset(m_requestBuf, 0, sizeof m_requestBuf);
    char* at = m_requestBuf;
    Append(at, Method, std::strlen(Method));
    Append(at, slash, std::strlen(slash));
    Append(at, scratch.Text(), formatted);
    if (extra) {
        Append(at, LineEnd, std::strlen(LineEnd));
        Append(at, extraHeaders, std::strlen(extraHeaders));
    }
    Append(at, BlankLine, std::strlen(BlankLine));
    // Traced while the text still ends in its zero.
    Trace("CHttp::SendGetRequest:\n%s\n", m_requestBuf);
    if (bodyLength > 0)
        Append(at, static_cast<const char*>(body), std::size_t(bodyLength));
    m_requestLen = static_cast<int>(at - m_requestBuf);

    SafeSend();
}

int CHttp::ProcessHttpHeader() {
    Trace("CHttp::ProcessHttpHeader\n");
    const http::ReplyHeader header = http::ParseReplyHeader(m_headerBuf, std::size_t(m_headerFill));
    if (header.length == 0) {
        Trace("Unable to find the start of the body\n");
        return 0;
    }
    TraceHeader(header.length);
    if (header.version != 11) {
        Trace("CHttp::ProcessHttpHeader : Http 1.1 header not found\n");
        if (header.version != 10) {
            Trace("CHttp::ProcessHttpHeader : Http 1.0 header not found\n");
            tarnClientLib::TraceFailed(tarnclient::CallUnreadableReply,
                                       "unreadable reply from %s:%d: no HTTP status line", m_hostName, m_port);
            CHttpException::Raise(
                "CHttp::ProcessHttpHeader : failed - HTTP version info missing from HTTP header");
        }
    }
    Trace("Status code :%d\n", header.status);
    if (!http::StatusAccepted(header.status)) {
        const std::string request(m_requestBuf, std::find(std::begin(m_requestBuf), std::end(m_requestBuf), '\0'));
        tarnClientLib::TraceRefused("HTTP %d from %s:%d for %s", header.status, m_hostName, m_port,
                                    request.substr(0, request.find('\r')).c_str());
        CHttpException::Raise("CHttp::ProcessHttpHeader : HTTP Request failed - request = " + request +
                              "; HTTP Status = " + std::to_string(header.status));
    }
    m_contentLength = header.contentLength;
    if (m_contentLength != http::LengthNotDeclared)
        Trace("Content header found:%d\n", m_contentLength);
    return header.length;
}

bool CHttp::ReadHeader() {
    Trace("attempting to read the http header\n");
    for (;;) {
        m_headerLen = ProcessHttpHeader();
        if (m_headerLen != 0)
            return true;
        const int room = static_cast<int>(sizeof m_headerBuf) - m_headerFill;
        const int got = room > 0 ? SafeRead(m_headerBuf + m_headerFill, room) : 0;
        if (got == Restarted)
            return false;
        if (got == 0) {
            tarnClientLib::TraceFailed(tarnclient::CallNoReply,
                                       "%s:%d closed the connection before a whole HTTP header arrived", m_hostName,
                                       m_port);
            CHttpException::Raise(
                "CHttp::Read failed : no data left in the socket, and we haven't found the http header");
        }
        m_headerFill += got;
    }
}

bool CHttp::ReadBody(ReplyBody& body) {
    body.Clear();
    const int buffered = m_headerFill - m_headerLen;
    const bool declared = m_contentLength != http::LengthNotDeclared;
    if (declared && std::size_t(m_contentLength) > http::MaxReplyBody)
        TooLarge();
    if (declared)
        body.Room(std::size_t(m_contentLength) + 1);
    if (buffered > 0) {
        Trace("Copying %d bytes from the http header's buffer\n", buffered);
        body.Append(m_headerBuf + m_headerLen, std::size_t(buffered));
    }
    for (;;) {
        if (declared && body.Size() >= std::size_t(m_contentLength)) {
            // Bytes past the declared length are no part of the body.
            body.Truncate(std::size_t(m_contentLength));
            return true;
        }
        // A declared body asks for just what is missing, which the room
        // reserved for it holds without growing; one of undeclared length
        // may grow to one byte past the bound, which tells it is too large.
        const std::size_t room = http::MaxReplyBody + 1 - body.Size();
        const int want = declared ? m_contentLength - static_cast<int>(body.Size())
                                  : static_cast<int>(std::min<std::size_t>(BodyPiece, room));
        const int got = SafeRead(body.Room(std::size_t(want)), want);
        if (got == Restarted)
            return false;
        if (got == 0)
            break;
        body.Grow(std::size_t(got));
        if (body.Size() > http::MaxReplyBody)
            TooLarge();
    }
    // Without a declared length the body ends when the server closes.
    if (declared) {
        tarnClientLib::TraceFailed(tarnclient::CallNoReply,
                                   "%s:%d closed the connection after %zu of the %d body bytes declared", m_hostName,
                                   m_port, body.Size(), m_contentLength);
        CHttpException::Raise("CHttp::Read failed : the connection closed after " + std::to_string(body.Size()) +
                              " of the " + std::to_string(m_contentLength) + " body bytes declared");
    }
    return true;
}

void CHttp::TooLarge() {
    if (m_contentLength != http::LengthNotDeclared)
        tarnClientLib::TraceFailed(tarnclient::CallUnreadableReply,
                                   "unreadable reply from %s:%d: it declares %d body bytes, more than the %zu a "
                                   "reply may have",
                                   m_hostName, m_port, m_contentLength, http::MaxReplyBody);
    else
        tarnClientLib::TraceFailed(tarnclient::CallUnreadableReply,
                                   "unreadable reply from %s:%d: its body is longer than the %zu bytes a reply may "
                                   "have",
                                   m_hostName, m_port, http::MaxReplyBody);
    CHttpException::Raise("CHttp::Read failed : reply body larger than " + std::to_string(http::MaxReplyBody) +
                          " bytes");
}

// The reply header, a line at a time: it came from the server, so its
// control characters are shown escaped.
void CHttp::TraceHeader(int length) {
    if (!tarnClientLib::Tracing())
        return;
    Trace("Http headersize:%d\n", length);
    const std::string_view header(m_headerBuf, std::size_t(length));
    for (std::size_t begin = 0; begin < header.size();) {
        std::size_t end = header.find("\r\n", begin);
        if (end == std::string_view::npos)
            end = header.size();
        if (end > begin)
            Trace("%s\n", tarnClientLib::Printable(header.substr(begin, end - begin)).c_str());
        begin = end + 2;
    }
}

bool CHttp::ReadReply(ReplyBody& body) {
    Trace("New file, we need to read the header\n");
    body.Clear();
    m_headerFill = 0;
    m_headerLen = 0;
    if (!WaitForReply())
        return false;
    // A re-connection sent the request again: its reply is read from the start.
    while (!ReadHeader() || !ReadBody(body))
        Trace("the interrupted reply is dropped\n");
    return true;
}
