// Process-wide objects that every user can reach until the process is gone:
// made on first use in static storage (no allocation that could fail) and
// never destroyed, so that a component released from a host's static
// destructor or exit handler still finds them. LeakSanitizer sees nothing:
// nothing is allocated.
#ifndef TARN_VCOM_IMMORTAL_H
#define TARN_VCOM_IMMORTAL_H

#include <new>

namespace vcom {

// The one T of Tag, default-constructed; T's constructor must not throw.
template <class T, class Tag = T>
T& Immortal() noexcept {
    alignas(T) static unsigned char storage[sizeof(T)];
    static T* const object = ::new (static_cast<void*>(storage)) T();
    return *object;
}

} // namespace vcom

#endif
