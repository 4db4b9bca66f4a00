// Holders of buffers that another allocator handed to us.
#ifndef TARN_VCOM_MEMHOLDER_H
#define TARN_VCOM_MEMHOLDER_H

#include <string>
#include <utility>

#include <tarnclient/TarnClient.h>

namespace vcom {

class MemHolder {
public:
    explicit MemHolder(void* p = nullptr) : m_p(p) {}
    virtual ~MemHolder() = default;
    MemHolder(const MemHolder&) = delete;
    MemHolder& operator=(const MemHolder&) = delete;

    void* get() const { return m_p; }
    char* text() const { return static_cast<char*>(m_p); }
    explicit operator bool() const { return m_p != nullptr; }

protected:
    void* m_p;
};

// Frees with the allocator's own free function, then clears the pointer.
template <void (*Free)(void*)>
class MemHolderOf : public MemHolder {
public:
    explicit MemHolderOf(void* p = nullptr) : MemHolder(p) {}
    ~MemHolderOf() override { reset(); }

    void reset(void* p = nullptr) {
        void* old = std::exchange(m_p, p);
        if (old)
            Free(old);
    }
};

// Texts from another component of this library.
using LibMemHolder = MemHolderOf<TarnClientLib_MemFree>;

// A new copy of text for the caller, from TarnClientLib_MemAlloc; null when
// the allocation fails.
char* CopyOut(const std::string& text);

} // namespace vcom

#endif
