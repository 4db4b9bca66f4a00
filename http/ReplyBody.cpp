#include "http/ReplyBody.h"

#include <algorithm>
#include <cstring>

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
    // A failed realloc leaves the old block, and the holder keeps it.
    char* grown = static_cast<char*>(std::realloc(m_data.get(), capacity));
    if (!grown)
        vcom::Fail(vcom::OutOfMemory);
    m_data.release();
    m_data.reset(grown);
    m_capacity = capacity;
    return m_data.get() + m_size;
}

void ReplyBody::Append(const char* bytes, std::size_t count) {
    std::memcpy(Room(count), bytes, count);
    Grow(count);
}

void ReplyBody::Terminate() { *Room(1) = '\0'; }
