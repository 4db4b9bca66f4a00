// vcom::ref: holds one reference to an interface and gives it back on every path.
#ifndef TARN_VCOM_REF_H
#define TARN_VCOM_REF_H

#include <cstdint>
#include <exception>
#include <utility>

#include <tarnclient/TarnClient.h>

namespace vcom {

// Thrown when an empty holder is dereferenced.
class bad_ref : public std::exception {
public:
    const char* what() const noexcept override { return "vcom::bad_ref"; }
};

template <class T>
class ref {
public:
    ref() = default;
    // Takes over the reference the caller holds (a pointer just returned by
    // QueryInterface or a factory).
    explicit ref(T* p) : m_p(p) {}
    // Adds a reference of its own.
    static ref share(T* p) {
        if (p)
            p->AddRef();
        return ref(p);
    }

    ref(const ref& other) : m_p(other.m_p) {
        if (m_p)
            m_p->AddRef();
    }
    ref(ref&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ref& operator=(ref other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~ref() { reset(); }

    T* operator->() const {
        if (!m_p)
            throw bad_ref();
        return m_p;
    }
    T& operator*() const { return *operator->(); }

    T* get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // Gives up the reference without releasing it.
    T* detach() { return std::exchange(m_p, nullptr); }

    void reset(T* p = nullptr) {
        T* old = std::exchange(m_p, p);
        if (old)
            old->Release();
    }

private:
    T* m_p = nullptr;
};

// Queries obj for interface I under id; empty on refusal with the code in *err.
template <class I>
ref<I> Query(IComponent* obj, std::int32_t id, std::int32_t* err) {
    std::int32_t local = 0;
    if (!obj) {
        if (err)
            *err = Failure;
        return ref<I>();
    }
    return ref<I>(static_cast<I*>(obj->QueryInterface(id, err ? err : &local)));
}

template <class I>
ref<I> Query(IComponent* obj, std::int32_t* err) {
    return Query<I>(obj, I::Id, err);
}

} // namespace vcom

#endif
