// The framing of CHttp: the request bytes, the reply header, the body.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "http/CHttp.h"
#include "messages/Trace.h"

using tarnClientLib::Trace;

namespace {

// The request line to the host line is formatted here before it is appended.
constexpr std::size_t ScratchSize = 1024;
constexpr char RequestFormat[] = "%s %s\r\nUser-Agent:%s\r\nContent-length:%d\r\nHost:%s:%d";
constexpr char Method[] = "POST ";
constexpr char Protocol[] = "HTTP/1.1";
constexpr char LineEnd[] = "\r\n";
constexpr char BlankLine[] = "\r\n\r\n";

constexpr char Http11[] = "HTTP/1.1";
constexpr char Http10[] = "HTTP/1.0";
constexpr std::size_t VersionTokenLength = 8;
// Matched exactly: lower-case "l" and one blank.
constexpr char LengthName[] = "Content-length: ";

constexpr int AcceptedStatuses[] = {200, 206, 302};

// The first occurrence of token within [begin, end), or null.
const char* Find(const char* begin, const char* end, const char* token) {
    const char* tokenEnd = token + std::strlen(token);
    const char* found = std::search(begin, end, token, tokenEnd);
    return found == end ? nullptr : found;
}

// A decimal number: leading blanks skipped, stops at the first non-digit,
// 0 without digits, held at INT_MAX when it would overflow.
int ReadNumber(const char* p, const char* end) {
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    long long value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        value = std::min<long long>(value * 10 + (*p - '0'), INT_MAX);
    return static_cast<int>(value);
}

// Appends text at *at, which the caller has checked to fit.
void Append(char*& at, const char* text, std::size_t length) {
    std::memcpy(at, text, length);
    at += length;
}

} // namespace

bool CHttp::SendPostRequest(const char* userAgent, const char* targetPath, const char* extraHeaders,
                            const void* body, int bodyLength) {
    const char* agent = userAgent ? userAgent : "";
    const char* path = targetPath ? targetPath : "";
    Trace("CHttp::SendPostRequest UserAgent:%s, target_path:%s\n", agent, path);
    if (bodyLength < 0 || (bodyLength > 0 && body == nullptr))
        CHttpException::Raise("CHttp::SendPostRequest : no body of " + std::to_string(bodyLength) + " bytes to send");

    char scratch[ScratchSize];
    const int formatted = std::snprintf(scratch, sizeof scratch, RequestFormat, path, Protocol, agent, bodyLength,
                                        m_hostName, m_port);
    if (formatted < 0 || std::size_t(formatted) >= sizeof scratch)
        CHttpException::Raise("CHttp::SendPostRequest : request line and headers longer than " +
                              std::to_string(sizeof scratch - 1) + " characters");

    const char* slash = path[0] == '/' ? "" : "/";
    const bool extra = extraHeaders != nullptr && extraHeaders[0] != '\0';
    const std::size_t extraLength = extra ? std::strlen(LineEnd) + std::strlen(extraHeaders) : 0;
    const std::size_t textLength = std::strlen(Method) + std::strlen(slash) + std::size_t(formatted) + extraLength +
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
    Append(at, scratch, std::size_t(formatted));
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
    return true;
}

int CHttp::ProcessHttpHeader() {
    Trace("CHttp::ProcessHttpHeader\n");
    const char* begin = m_headerBuf;
    const char* end = m_headerBuf + m_headerFill;
    const char* blank = Find(begin, end, BlankLine);
    if (!blank) {
        Trace("Unable to find the start of the body\n");
        return 0;
    }
    const int headerLength = static_cast<int>(blank - begin + std::strlen(BlankLine));
    char header[sizeof m_headerBuf + 1];
    std::memcpy(header, begin, std::size_t(headerLength));
    header[headerLength] = '\0';
    Trace("Http headersize:%d\n%s", headerLength, header);

    const char* version = Find(begin, end, Http11);
    if (!version) {
        Trace("CHttp::ProcessHttpHeader : Http 1.1 header not found\n");
        version = Find(begin, end, Http10);
        if (!version) {
            Trace("CHttp::ProcessHttpHeader : Http 1.0 header not found\n");
            tarnClientLib::TraceFailed("unreadable reply from %s:%d: no HTTP status line", m_hostName, m_port);
            CHttpException::Raise(
                "CHttp::ProcessHttpHeader : failed - HTTP version info missing from HTTP header");
        }
    }
    const int status = ReadNumber(version + VersionTokenLength, end);
    Trace("Status code :%d\n", status);
    if (std::find(std::begin(AcceptedStatuses), std::end(AcceptedStatuses), status) == std::end(AcceptedStatuses)) {
        const std::string request(m_requestBuf, std::find(std::begin(m_requestBuf), std::end(m_requestBuf), '\0'));
        tarnClientLib::TraceRefused("HTTP %d from %s:%d for %s", status, m_hostName, m_port,
                                    request.substr(0, request.find('\r')).c_str());
        CHttpException::Raise("CHttp::ProcessHttpHeader : HTTP Request failed - request = " + request +
                              "; HTTP Status = " + std::to_string(status));
    }

    if (const char* length = Find(begin, end, LengthName)) {
        m_contentLength = ReadNumber(length + std::strlen(LengthName), end);
        Trace("Content header found:%d\n", m_contentLength);
    }
    return headerLength;
}

void CHttp::ReadHeader() {
    Trace("New file, we need to read the header\n");
    std::memset(m_headerBuf, 0, sizeof m_headerBuf);
    m_headerFill = 0;
    Trace("attempting to read the http header\n");
    for (;;) {
        // A full buffer asks for 0 bytes; the empty result ends the search.
        const int got = SafeRead(m_headerBuf + m_headerFill, static_cast<int>(sizeof m_headerBuf) - m_headerFill);
        m_headerFill += got;
        m_headerLen = ProcessHttpHeader();
        if (m_headerLen != 0) {
            m_bodyPos = m_headerLen;
            m_bodyInHeaderBuf = m_headerFill - m_headerLen;
            return;
        }
        if (got == 0) {
            tarnClientLib::TraceFailed("%s:%d closed the connection before a whole HTTP header arrived", m_hostName,
                                       m_port);
            CHttpException::Raise(
                "CHttp::Read failed : no data left in the socket, and we haven't found the http header");
        }
    }
}

bool CHttp::Read(void* destination, int capacity, int& count) {
    char* out = static_cast<char*>(destination);
    const int room = std::max(capacity, 0);
    count = 0;
    if (m_headerLen == 0)
        ReadHeader();

    // Body bytes that came with the header are served alone.
    const int buffered = m_headerLen + m_bodyInHeaderBuf - m_bodyPos;
    if (m_bodyInHeaderBuf != 0 && buffered > 0) {
        const int copied = std::min(room, buffered);
        std::memcpy(out, m_headerBuf + m_bodyPos, std::size_t(copied));
        Trace("Copying %d bytes from the http header's buffer\n", copied);
        m_bodyPos += copied;
        m_bodyDelivered += copied;
        count = copied;
        return true;
    }
    if (m_contentLength != -1 && m_bodyDelivered >= m_contentLength)
        return true;

    // Without a declared length the body ends only when the server closes.
    int got = 0;
    for (;;) {
        if (m_contentLength != -1 && (m_bodyDelivered >= m_contentLength || got >= room))
            break;
        const int received = SafeRead(out + got, room - got);
        got += received;
        m_bodyDelivered += received;
        if (received == 0)
            break;
    }
    count = got;
    return true;
}
