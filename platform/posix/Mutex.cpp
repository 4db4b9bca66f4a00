#include "platform/Mutex.h"

#include <new>

#include <pthread.h>

namespace platform {

static_assert(sizeof(pthread_mutex_t) <= sizeof(Mutex), "Mutex storage too small");

namespace {
pthread_mutex_t* Native(unsigned char* storage) { return reinterpret_cast<pthread_mutex_t*>(storage); }
} // namespace

Mutex::Mutex() {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(new (m_storage) pthread_mutex_t, &attr);
    pthread_mutexattr_destroy(&attr);
}

Mutex::~Mutex() { pthread_mutex_destroy(Native(m_storage)); }

void Mutex::Lock() { pthread_mutex_lock(Native(m_storage)); }

void Mutex::Unlock() { pthread_mutex_unlock(Native(m_storage)); }

} // namespace platform
