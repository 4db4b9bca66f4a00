// Taking an HTTP reply apart, with no socket and no trace: bytes in, the
// header's version, status and declared length out, and for a whole reply
// the body that may be decoded. CHttp reads its replies through these, and
// so does the reply fuzz target.
//
// Tokens are matched case-sensitively and only inside the header (up to and
// including its blank line), which must end within the first MaxHeaderBytes.
#ifndef TARN_HTTP_REPLYHEADER_H
#define TARN_HTTP_REPLYHEADER_H

#include <cstddef>

namespace http {

constexpr std::size_t MaxHeaderBytes = 4096;
constexpr int LengthNotDeclared = -1;

struct ReplyHeader {
    int length = 0;          // with the blank line; 0 while it has not arrived
    int version = 0;         // 11 for "HTTP/1.1", else 10 for "HTTP/1.0", 0 for neither
    int status = 0;          // the number after the version token; 0 without digits
    int contentLength = LengthNotDeclared; // "Content-length: "; a negative number declares nothing
};

// Reads the header at the start of data.
ReplyHeader ParseReplyHeader(const char* data, std::size_t size);

// 200, 206 and 302; a 302 is read like a 200, not followed.
bool StatusAccepted(int status);

} // namespace http

#endif
