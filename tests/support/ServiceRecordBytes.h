// The wire form of the service records, built and read independently of the
// library: big-endian 16-bit values, and strings as a 32-bit length stored
// as (length + 2^31) followed by the bytes.
//
//   request: major, minor, first count, second count, fields of both lists
//   reply:   major, minor, status, count, fields
//
// A field is its name and then its value, each a string.
#ifndef TARN_TESTS_SUPPORT_SERVICERECORDBYTES_H
#define TARN_TESTS_SUPPORT_SERVICERECORDBYTES_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarntest {

using RecordField = std::pair<std::string, std::string>;
using RecordFields = std::vector<RecordField>;

constexpr std::uint16_t kTicketReplyMinor = 4;

// The bytes of a reply record (major 1) of kind minor.
std::string ReplyRecordBytes(std::uint16_t minor, std::uint16_t status, const RecordFields& fields);

// A TicketReply: status, then the given fields.
inline std::string TicketReplyBytes(std::uint16_t status, const RecordFields& fields = {}) {
    return ReplyRecordBytes(kTicketReplyMinor, status, fields);
}

// The bytes of a request record (major 1) of kind minor.
std::string RequestRecordBytes(std::uint16_t minor, const RecordFields& first, const RecordFields& second);

struct RequestRecord {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    RecordFields first;
    RecordFields second;
};

struct ReplyRecord {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t status = 0;
    RecordFields fields;
};

// Read a record; false when the bytes run short or some are left over.
bool ParseRequestRecord(const std::string& bytes, RequestRecord& out);
bool ParseReplyRecord(const std::string& bytes, ReplyRecord& out);

} // namespace tarntest

#endif
