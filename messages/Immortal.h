// A process-wide object that is never destroyed, so that code running in
// other objects' destructors at exit may still use it.
#ifndef TARN_MESSAGES_IMMORTAL_H
#define TARN_MESSAGES_IMMORTAL_H

#include <new>

namespace tarnClientLib {

template <class T>
class Immortal {
public:
    Immortal() { new (m_storage) T(); }
    T& get() { return *reinterpret_cast<T*>(m_storage); }

private:
    alignas(T) unsigned char m_storage[sizeof(T)];
};

} // namespace tarnClientLib

#endif
