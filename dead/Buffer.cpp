#include "dead/Buffer.h"

#include <cstring>
#include <new>

namespace Dead {

namespace {

// position + count > limit, without 32-bit wrap-around.
bool Passes(std::uint32_t position, std::uint32_t count, std::uint32_t limit) {
    return static_cast<std::uint64_t>(position) + count > limit;
}

} // namespace

Buffer::Buffer(std::uint32_t capacity) { Allocate(capacity); }

Buffer::Buffer(const void* data, std::uint32_t count) { Assign(data, count, true); }

Buffer::~Buffer() { Free(); }

void Buffer::Free() {
    if (m_ownsData)
        delete[] m_data;
    m_data = nullptr;
    m_ownsData = 0;
}

void Buffer::Allocate(std::uint32_t capacity) {
    Free();
    m_length = 0;
    m_capacity = 0;
    m_position = 0;
    if (capacity == 0)
        return;
    m_data = new (std::nothrow) unsigned char[capacity];
    if (!m_data) {
        m_status = BufferAllocFailed;
        return;
    }
    m_capacity = capacity;
    m_ownsData = 1;
}

void Buffer::Assign(const void* data, std::uint32_t count, bool copy) {
    if (!data || count == 0) {
        Allocate(0);
        return;
    }
    if (copy) {
        Allocate(count);
        if (!m_data)
            return;
        std::memcpy(m_data, data, count);
        m_length = count;
        return;
    }
    Free();
    // Borrowed: the caller's bytes are only read through a borrowing buffer
    // unless the caller also writes through it.
    m_data = static_cast<unsigned char*>(const_cast<void*>(data));
    m_length = m_capacity = count;
    m_position = 0;
}

void Buffer::SetPosition(std::uint32_t position) {
    if (position > m_capacity) {
        m_status = BufferBadPosition;
        return;
    }
    m_position = position;
}

void Buffer::SetLength(std::uint32_t length) {
    if (length > m_capacity) {
        m_status = BufferBadPosition;
        return;
    }
    m_length = length;
}

void Buffer::Reserve(std::uint32_t capacity) {
    if (!m_data) {
        Allocate(capacity);
        return;
    }
    unsigned char* area = capacity ? new (std::nothrow) unsigned char[capacity] : nullptr;
    if (capacity && !area) {
        m_status = BufferAllocFailed;
        return;
    }
    const std::uint32_t kept = m_length < capacity ? m_length : capacity;
    if (kept)
        std::memcpy(area, m_data, kept);
    Free();
    m_data = area;
    m_ownsData = area ? 1 : 0;
    m_capacity = capacity;
    // Content past a smaller capacity is gone, so neither the cursor nor the
    // length may point past it.
    if (m_position > capacity)
        m_position = capacity;
    if (m_length > capacity)
        m_length = capacity;
}

void Buffer::ReadInt(std::uint64_t& value, std::uint32_t byteCount) {
    value = 0;
    if (Passes(m_position, byteCount, m_length)) {
        m_status = BufferReadPastLength;
        return;
    }
    if (m_status != BufferOk || byteCount < 1 || byteCount > 8)
        return;
    std::uint64_t assembled = 0;
    for (std::uint32_t i = 0; i < byteCount; ++i)
        assembled = (assembled << 8) | m_data[m_position + i];
    value = assembled;
    m_position += byteCount;
}

void Buffer::ReadBytes(void* destination, std::uint32_t count) {
    if (count == 0)
        return;
    if (Passes(m_position, count, m_length)) {
        m_status = BufferReadPastLength;
        return;
    }
    std::memcpy(destination, m_data + m_position, count);
    m_position += count;
}

void Buffer::WriteInt(std::uint64_t value, std::uint32_t byteCount) {
    if (Passes(m_position, byteCount, m_capacity)) {
        m_status = BufferWritePastCapacity;
        return;
    }
    if (m_status == BufferOk && byteCount >= 1 && byteCount <= 8) {
        for (std::uint32_t i = 0; i < byteCount; ++i)
            m_data[m_position + i] = static_cast<unsigned char>(value >> (8 * (byteCount - 1 - i)));
        m_position += byteCount;
    }
    if (m_position > m_length)
        m_length = m_position;
}

void Buffer::WriteBytes(const void* source, std::uint32_t count) {
    if (count == 0)
        return;
    if (Passes(m_position, count, m_capacity)) {
        m_status = BufferWritePastCapacity;
        return;
    }
    std::memcpy(m_data + m_position, source, count);
    m_position += count;
    if (m_position > m_length)
        m_length = m_position;
}

} // namespace Dead
