// Holds one reference to a library interface and gives it back on every path.
#ifndef TARN_TOOLS_TARN_REF_H
#define TARN_TOOLS_TARN_REF_H

#include <utility>

#include <tarnclient/TarnClient.h>

namespace tarn {

template <class T>
class Ref {
public:
    Ref() = default;
    // Takes over the reference the library handed out with p.
    explicit Ref(T* p) : m_p(p) {}
    // Takes over a creation result, which the library types as IComponent*.
    static Ref Adopt(vcom::IComponent* p) { return Ref(static_cast<T*>(p)); }

    Ref(Ref&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    Ref& operator=(Ref&& other) noexcept {
        Ref(std::move(other)).Swap(*this);
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (m_p)
            m_p->Release();
    }

    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    void Swap(Ref& other) noexcept { std::swap(m_p, other.m_p); }

    T* m_p = nullptr;
};

} // namespace tarn

#endif
