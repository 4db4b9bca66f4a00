// The per-object lock and its scoped guard.
#ifndef TARN_VCOM_CRITICALSECTION_H
#define TARN_VCOM_CRITICALSECTION_H

#include "platform/Mutex.h"

namespace vcom {

class CriticalSection {
public:
    CriticalSection() = default;
    virtual ~CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { m_mutex.Lock(); }
    void Leave() { m_mutex.Unlock(); }

private:
    platform::Mutex m_mutex;
};

class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& cs) : m_cs(&cs) { m_cs->Enter(); }
    virtual ~ScopedLock() { Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

    // Leaves now; the destructor then does nothing.
    void Unlock() {
        if (m_cs) {
            m_cs->Leave();
            m_cs = nullptr;
        }
    }

private:
    CriticalSection* m_cs;
};

} // namespace vcom

#endif
