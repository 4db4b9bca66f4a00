#include "platform/Mutex.h"

#include <new>

#include <windows.h>

namespace platform {

static_assert(sizeof(CRITICAL_SECTION) <= sizeof(Mutex), "Mutex storage too small");

namespace {
CRITICAL_SECTION* Native(unsigned char* storage) { return reinterpret_cast<CRITICAL_SECTION*>(storage); }
} // namespace

Mutex::Mutex() { InitializeCriticalSection(new (m_storage) CRITICAL_SECTION); }

Mutex::~Mutex() { DeleteCriticalSection(Native(m_storage)); }

void Mutex::Lock() { EnterCriticalSection(Native(m_storage)); }

void Mutex::Unlock() { LeaveCriticalSection(Native(m_storage)); }

} // namespace platform
