// Windows-1252 text and version-4 GUIDs.
#include "platform/Text.h"

#include <cerrno>
#include <cstdio>

#include <sys/random.h>

namespace platform {

namespace {

// Windows-1252 0x80 to 0x9F. The five unassigned bytes map to the C1 control
// of the same number, as MultiByteToWideChar does.
const char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool RandomBytes(unsigned char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t got = getrandom(bytes, count, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace

std::u16string AnsiToWide(const char* text) {
    std::u16string wide;
    for (const char* p = text; p && *p; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        wide.push_back(byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char16_t(byte));
    }
    return wide;
}

bool NewGuidText(std::string& out) {
    unsigned char b[16];
    if (!RandomBytes(b, sizeof b))
        return false;
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40); // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80); // RFC 4122 variant
    char text[39];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0], b[1],
                  b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    out = text;
    return true;
}

} // namespace platform
