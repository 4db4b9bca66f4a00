#include "tests/support/ServiceRecordBytes.h"

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

class Reader {
public:
    explicit Reader(const std::string& bytes) : m_bytes(bytes) {}

    bool U16(std::uint16_t& value) {
        if (m_bytes.size() - m_pos < 2)
            return false;
        value = static_cast<std::uint16_t>(Byte(m_pos) << 8 | Byte(m_pos + 1));
        m_pos += 2;
        return true;
    }

    bool String(std::string& text) {
        if (m_bytes.size() - m_pos < 4)
            return false;
        std::uint32_t stored = 0;
        for (int i = 0; i < 4; ++i)
            stored = stored << 8 | Byte(m_pos + i);
        m_pos += 4;
        if (stored < kLengthBias || stored - kLengthBias > m_bytes.size() - m_pos)
            return false;
        text = m_bytes.substr(m_pos, stored - kLengthBias);
        m_pos += text.size();
        return true;
    }

    bool Fields(std::uint16_t count, RecordFields& out) {
        for (std::uint16_t i = 0; i < count; ++i) {
            RecordField field;
            if (!String(field.first) || !String(field.second))
                return false;
            out.push_back(field);
        }
        return true;
    }

    bool AtEnd() const { return m_pos == m_bytes.size(); }

private:
    std::uint32_t Byte(std::size_t at) const { return static_cast<unsigned char>(m_bytes[at]); }

    const std::string& m_bytes;
    std::size_t m_pos = 0;
};

void PutFields(std::string& out, const RecordFields& fields) {
    for (const RecordField& field : fields) {
        PutString(out, field.first);
        PutString(out, field.second);
    }
}

} // namespace

std::string ReplyRecordBytes(std::uint16_t minor, std::uint16_t status, const RecordFields& fields) {
    std::string out;
    for (std::uint16_t value : {kMajor, minor, status, static_cast<std::uint16_t>(fields.size())})
        PutU16(out, value);
    PutFields(out, fields);
    return out;
}

std::string RequestRecordBytes(std::uint16_t minor, const RecordFields& first, const RecordFields& second) {
    std::string out;
    for (std::uint16_t value :
         {kMajor, minor, static_cast<std::uint16_t>(first.size()), static_cast<std::uint16_t>(second.size())})
        PutU16(out, value);
    PutFields(out, first);
    PutFields(out, second);
    return out;
}

bool ParseRequestRecord(const std::string& bytes, RequestRecord& out) {
    Reader reader(bytes);
    std::uint16_t firstCount = 0;
    std::uint16_t secondCount = 0;
    out = RequestRecord();
    return reader.U16(out.major) && reader.U16(out.minor) && reader.U16(firstCount) && reader.U16(secondCount) &&
           reader.Fields(firstCount, out.first) && reader.Fields(secondCount, out.second) && reader.AtEnd();
}

bool ParseReplyRecord(const std::string& bytes, ReplyRecord& out) {
    Reader reader(bytes);
    std::uint16_t count = 0;
    out = ReplyRecord();
    return reader.U16(out.major) && reader.U16(out.minor) && reader.U16(out.status) && reader.U16(count) &&
           reader.Fields(count, out.fields) && reader.AtEnd();
}

} // namespace tarntest
