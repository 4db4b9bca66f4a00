#include "http/ReplyBody.h"

#include <cstring>
#include <new>

#include "vcom/Codes.h"

char* ReplyBody::Room(std::size_t room) {
    if (m_capacity - m_size >= room)
        return m_data.get() + m_size;
    // Doubling keeps a body of unknown length linear to receive.
    std::size_t capacity = m_capacity * 2;
    if (capacity < m_size + room)
        capacity = m_size + room;
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
