// Dead::Buffer: a byte area with one cursor, the carrier of binary messages.
#ifndef TARN_DEAD_BUFFER_H
#define TARN_DEAD_BUFFER_H

#include <cstdint>

namespace Dead {

// The buffer's own status codes (not vcom codes).
enum BufferStatus : std::int32_t {
    BufferOk = 0,
    BufferAllocFailed = -2,
    BufferWritePastCapacity = -3,
    BufferReadPastLength = -4,
    BufferBadPosition = -5,
};

class Buffer {
public:
    Buffer() = default;
    explicit Buffer(std::uint32_t capacity);          // Allocate(capacity)
    Buffer(const void* data, std::uint32_t count);    // copies the bytes
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    virtual ~Buffer();

    void Allocate(std::uint32_t capacity);
    // Copies data when copy is true; otherwise borrows it (not owned).
    void Assign(const void* data, std::uint32_t count, bool copy);
    void SetPosition(std::uint32_t position);
    void SetLength(std::uint32_t length);
    void Reserve(std::uint32_t capacity);

    void ReadInt(std::uint64_t& value, std::uint32_t byteCount);
    void ReadBytes(void* destination, std::uint32_t count);
    virtual void WriteInt(std::uint64_t value, std::uint32_t byteCount);
    virtual void WriteBytes(const void* source, std::uint32_t count);

    const unsigned char* Data() const { return m_data; }
    std::uint32_t Length() const { return m_length; }
    std::uint32_t Capacity() const { return m_capacity; }
    std::uint32_t Position() const { return m_position; }
    std::int32_t Status() const { return m_status; }
    void SetStatus(std::int32_t status) { m_status = status; }
    void ResetStatus() { m_status = BufferOk; }

private:
    void Free();

    unsigned char* m_data = nullptr;
    std::uint32_t m_length = 0;
    std::uint32_t m_capacity = 0;
    std::uint32_t m_position = 0;
    std::int32_t m_ownsData = 0;
    std::int32_t m_status = BufferOk;
};

// Enlarges itself in whole steps before a write that would not fit.
class GrowableBuffer : public Buffer {
public:
    GrowableBuffer(std::uint32_t capacity, std::uint32_t step);

    void WriteInt(std::uint64_t value, std::uint32_t byteCount) override;
    void WriteBytes(const void* source, std::uint32_t count) override;

private:
    void Grow(std::uint32_t count);

    std::uint32_t m_step;
};

} // namespace Dead

#endif
