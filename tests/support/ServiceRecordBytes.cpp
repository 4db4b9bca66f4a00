#include "tests/support/ServiceRecordBytes.h"

#include <initializer_list>

namespace tarntest {

namespace {

const std::uint16_t kMajor = 1;
const std::uint32_t kLengthBias = 0x80000000u;

void PutU16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

void PutString(std::string& out, const std::string& text) {
    const std::uint32_t stored = static_cast<std::uint32_t>(text.size()) + kLengthBias;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((stored >> shift) & 0xFF);
    out += text;
}

// The header values, then every field.
std::string Record(std::initializer_list<std::uint16_t> header, std::initializer_list<const RecordFields*> lists) {
    std::string out;
    for (std::uint16_t value : header)
        PutU16(out, value);
    for (const RecordFields* fields : lists)
        for (const RecordField& field : *fields) {
            PutString(out, field.first);
            PutString(out, field.second);
        }
    return out;
}

std::uint16_t Count(const RecordFields& fields) { return static_cast<std::uint16_t>(fields.size()); }

} // namespace

std::string ReplyRecordBytes(std::uint16_t minor, std::uint16_t status, const RecordFields& fields) {
    return Record({kMajor, minor, status, Count(fields)}, {&fields});
}

std::string RequestRecordBytes(std::uint16_t minor, const RecordFields& first, const RecordFields& second) {
    return Record({kMajor, minor, Count(first), Count(second)}, {&first, &second});
}

} // namespace tarntest
