#include "http/ReplyBody.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "vcom/Codes.h"

char* ReplyBody::Room(std::size_t room) {
    if (m_capacity - m_size >= room)
        return m_data.get() + m_size;
    // Doubling keeps a body of unknown length linear to receive; it stops
    // at the largest body there may be (and its terminating zero).
    const std::size_t needed = m_size + room;
    std::size_t capacity = std::max(m_capacity * 2, needed);
    if (needed <= http::MaxReplyBody + 1)
        capacity = std::min(capacity, http::MaxReplyBody + 1);
    std::unique_ptr<char[]> data(new (std::nothrow) char[capacity]);
    if (!data)
        vcom::Fail(vcom::OutOfMemory);
    if (m_size)
        std::memcpy(data.get(), m_data.get(), m_size);
    m_data = std::move(data);
    m_capacity = capacity;
    return m_data.get() + m_size;
}

void ReplyBody::Append(const char* bytes, std::size_t count) {
    std::memcpy(Room(count), bytes, count);
    Grow(count);
}

void ReplyBody::Terminate() { *Room(1) = '\0'; }
