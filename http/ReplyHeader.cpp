#include "http/ReplyHeader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <string_view>

namespace http {

namespace {

constexpr char BlankLine[] = "\r\n\r\n";
constexpr char Http11[] = "HTTP/1.1";
constexpr char Http10[] = "HTTP/1.0";
constexpr std::size_t VersionTokenLength = 8;
// Matched exactly: lower-case "l" and one blank.
constexpr char LengthName[] = "Content-length: ";
constexpr int AcceptedStatuses[] = {200, 206, 302};

// The first occurrence of token within [begin, end), or null; the search
// jumps between candidates with the library's memchr.
const char* Find(const char* begin, const char* end, const char* token) {
    const std::size_t at = std::string_view(begin, static_cast<std::size_t>(end - begin)).find(token);
    return at == std::string_view::npos ? nullptr : begin + at;
}

// A decimal number: leading blanks skipped, stops at the first non-digit,
// 0 without digits, held at INT_MAX when it would overflow. A minus sign
// gives -1.
int ReadNumber(const char* p, const char* end) {
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    if (p < end && *p == '-')
        return -1;
    long long value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        value = std::min<long long>(value * 10 + (*p - '0'), INT_MAX);
    return static_cast<int>(value);
}

} // namespace

ReplyHeader ParseReplyHeader(const char* data, std::size_t size) {
    ReplyHeader header;
    const char* begin = data;
    const char* blank = Find(begin, begin + std::min(size, MaxHeaderBytes), BlankLine);
    if (!blank)
        return header;
    const char* end = blank + std::strlen(BlankLine);
    header.length = static_cast<int>(end - begin);
    const char* version = Find(begin, end, Http11);
    header.version = version ? 11 : 0;
    if (!version && (version = Find(begin, end, Http10)) != nullptr)
        header.version = 10;
    if (!version)
        return header;
    header.status = std::max(ReadNumber(version + VersionTokenLength, end), 0);
    if (const char* length = Find(begin, end, LengthName))
        header.contentLength = std::max(ReadNumber(length + std::strlen(LengthName), end), LengthNotDeclared);
    return header;
}

bool StatusAccepted(int status) {
    return std::find(std::begin(AcceptedStatuses), std::end(AcceptedStatuses), status) != std::end(AcceptedStatuses);
}

} // namespace http
