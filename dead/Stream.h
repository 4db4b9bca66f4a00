// Dead::Stream: the typed big-endian encoding over a Dead::Buffer it owns.
#ifndef TARN_DEAD_STREAM_H
#define TARN_DEAD_STREAM_H

#include <cstdint>
#include <memory>
#include <string>

#include "dead/Buffer.h"

namespace Dead {

class Stream {
public:
    explicit Stream(std::unique_ptr<Buffer> buffer);
    // A stream over a new buffer holding a copy of received bytes.
    static Stream FromBytes(const void* data, std::uint32_t count);
    // A stream over a new growable buffer (requests: 80 bytes, step 128).
    static Stream Growable(std::uint32_t capacity, std::uint32_t step);

    void WriteUInt16(std::uint16_t value);
    void WriteInt32(std::int32_t value);
    // Undone (position and length restored) when the buffer fails; the status stays.
    void WriteString(const char* text, std::uint32_t count);
    void WriteString(const std::string& text);
    void WriteBytes(const void* source, std::uint32_t count);

    // A value that cannot be read (past the length, or a failure already
    // recorded in the buffer's status) reads as 0.
    void ReadUInt16(std::uint16_t& value);
    void ReadInt32(std::int32_t& value);
    // Leaves value unchanged (status -4) when the stored length is negative or
    // runs past the data, and also when the length itself cannot be read.
    // The bytes go straight from the buffer into value (one copy).
    void ReadString(std::string& value);
    void ReadBytes(void* destination, std::uint32_t count);

    Buffer& GetBuffer() { return *m_buffer; }
    const Buffer& GetBuffer() const { return *m_buffer; }

private:
    std::unique_ptr<Buffer> m_buffer;
};

} // namespace Dead

#endif
