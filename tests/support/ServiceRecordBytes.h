// The wire form of the service records, built independently of the
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

// The bytes of a reply record (major 1) of kind minor.
std::string ReplyRecordBytes(std::uint16_t minor, std::uint16_t status, const RecordFields& fields);

// The bytes of a request record (major 1) of kind minor.
std::string RequestRecordBytes(std::uint16_t minor, const RecordFields& first, const RecordFields& second);

// A TicketReply (minor 4): status, then the given fields.
inline std::string TicketReplyBytes(std::uint16_t status, const RecordFields& fields = {}) {
    return ReplyRecordBytes(4, status, fields);
}

// A ticket request (minor 3), as the library sends one: every field in the
// second list.
inline std::string TicketRequestBytes(const RecordFields& fields) { return RequestRecordBytes(3, {}, fields); }

} // namespace tarntest

#endif
