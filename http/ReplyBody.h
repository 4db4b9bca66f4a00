// The bytes of one reply body, received straight into one growing block (no
// zero-filling, no second copy) and read in place by the decoder. The block
// grows with realloc, which moves a large block's pages rather than copying
// them, so a body near the bound needs about its own size, not twice it.
#ifndef TARN_HTTP_REPLYBODY_H
#define TARN_HTTP_REPLYBODY_H

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace http {

// The largest reply body read: ten times the largest server list a product
// has (100,000 servers are 6.7 MB). A larger one fails the exchange before
// memory grows much past it.
constexpr std::size_t MaxReplyBody = 64u * 1024 * 1024;

} // namespace http

class ReplyBody {
public:
    const char* Data() const { return m_data.get(); }
    std::size_t Size() const { return m_size; }

    // Forgets the bytes, keeps the block.
    void Clear() { m_size = 0; }
    // At least room writable bytes after the body; fails with vcom::OutOfMemory.
    char* Room(std::size_t room);
    // count bytes written at Room() now belong to the body.
    void Grow(std::size_t count) { m_size += count; }
    void Truncate(std::size_t size) { m_size = size < m_size ? size : m_size; }
    void Append(const char* bytes, std::size_t count);
    // A zero byte after the body, not counted in Size().
    void Terminate();

private:
    struct Free {
        void operator()(char* block) const { std::free(block); }
    };
    std::unique_ptr<char, Free> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

#endif
