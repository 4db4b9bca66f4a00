#include "dead/Stream.h"

#include <limits>
#include <utility>

namespace Dead {

namespace {
constexpr std::uint64_t kBias = 0x80000000u; // 2^31
} // namespace

Stream::Stream(std::unique_ptr<Buffer> buffer) : m_buffer(std::move(buffer)) {}

Stream Stream::FromBytes(const void* data, std::uint32_t count) {
    return Stream(std::make_unique<Buffer>(data, count));
}

Stream Stream::Growable(std::uint32_t capacity, std::uint32_t step) {
    return Stream(std::make_unique<GrowableBuffer>(capacity, step));
}

void Stream::WriteUInt16(std::uint16_t value) { m_buffer->WriteInt(value, 2); }

void Stream::WriteInt32(std::int32_t value) {
    // value + 2^31 modulo 2^32: 0 -> 80000000, INT_MIN -> 0, INT_MAX -> FFFFFFFF.
    const std::uint32_t stored = static_cast<std::uint32_t>(static_cast<std::uint32_t>(value) + kBias);
    m_buffer->WriteInt(stored, 4);
}

void Stream::WriteString(const char* text, std::uint32_t count) {
    Buffer& buffer = *m_buffer;
    const std::uint32_t position = buffer.Position();
    const std::uint32_t length = buffer.Length();
    if (!text)
        count = 0;
    if (count > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        // Its length cannot be encoded: nothing is written.
        buffer.SetStatus(BufferWritePastCapacity);
        return;
    }
    WriteInt32(static_cast<std::int32_t>(count));
    buffer.WriteBytes(text, count);
    if (buffer.Status() != BufferOk) {
        // Undo the partial write; the status stays for the caller.
        const std::int32_t status = buffer.Status();
        buffer.SetPosition(position);
        buffer.SetLength(length);
        buffer.SetStatus(status);
    }
}

void Stream::WriteString(const std::string& text) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        m_buffer->SetStatus(BufferWritePastCapacity);
        return;
    }
    WriteString(text.data(), static_cast<std::uint32_t>(text.size()));
}

void Stream::WriteBytes(const void* source, std::uint32_t count) { m_buffer->WriteBytes(source, count); }

void Stream::ReadUInt16(std::uint16_t& value) {
    std::uint64_t raw = 0;
    m_buffer->ReadInt(raw, 2);
    value = static_cast<std::uint16_t>(raw);
}

void Stream::ReadInt32(std::int32_t& value) {
    const std::uint32_t before = m_buffer->Position();
    std::uint64_t raw = 0;
    m_buffer->ReadInt(raw, 4);
    // The stored value minus 2^31. A read that did not happen gives 0, like
    // every integer that cannot be read (not 0 - 2^31).
    value = m_buffer->Position() == before ? 0 : static_cast<std::int32_t>(static_cast<std::uint32_t>(raw - kBias));
}

void Stream::ReadString(std::string& value) {
    Buffer& buffer = *m_buffer;
    std::int32_t count = 0;
    ReadInt32(count);
    if (buffer.Status() != BufferOk)
        return; // the length could not be read (or a failure was already recorded)
    if (count < 0 || static_cast<std::uint64_t>(buffer.Position()) + static_cast<std::uint32_t>(count) > buffer.Length()) {
        buffer.SetStatus(BufferReadPastLength);
        return;
    }
    // Straight from the buffer into the target: the one copy of the bytes.
    const std::uint32_t n = static_cast<std::uint32_t>(count);
    if (n == 0) {
        value.clear();
        return;
    }
    value.assign(reinterpret_cast<const char*>(buffer.Data()) + buffer.Position(), n);
    buffer.SetPosition(buffer.Position() + n);
}

void Stream::ReadBytes(void* destination, std::uint32_t count) { m_buffer->ReadBytes(destination, count); }

} // namespace Dead
