// A recursive lock, as a Windows critical section is.
#ifndef TARN_PLATFORM_MUTEX_H
#define TARN_PLATFORM_MUTEX_H

namespace platform {

class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void Lock();
    void Unlock();

private:
    // Large enough for CRITICAL_SECTION and pthread_mutex_t; keeps the
    // system headers out of every file that takes a lock.
    alignas(16) unsigned char m_storage[64];
};

} // namespace platform

#endif
