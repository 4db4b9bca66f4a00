// Process-wide objects, the one way the library keeps state for the whole
// process (the factories, the configuration, the customer managers' shared
// state, locks):
//
//   TicketStore& store = vcom::ProcessWide<TicketStore>();
//
// The object of T (and Tag, to have two of one type) is default-constructed
// on first use, in static storage, so making it cannot fail. No static
// destructor ever ends it: a call still running on another thread while the
// process exits, or a component a host releases from its exit handler,
// finds it in place. It ends only when the library is unloaded and nothing
// uses it any more: the unload hook that FreeProcessWideAtUnload() sets
// destroys every process-wide object in the reverse order of their making,
// when no call is in flight (vcom/Boundary.h) and the process is not
// exiting, so an unloaded library leaves no memory, descriptor or lock
// behind.
//
// T's constructor must not throw. A component kept this way overrides
// Release so that its count reaching 0 leaves it in place.
#ifndef TARN_VCOM_PROCESSWIDE_H
#define TARN_VCOM_PROCESSWIDE_H

#include <atomic>
#include <new>

#include "platform/Unload.h"
#include "vcom/Boundary.h"

namespace vcom {

namespace processwide {

// One made object, linked into the module's list of them.
struct Entry {
    void (*destroy)(void* object);
    void* object;
    Entry* next;
};

// The objects of this module, the newest first. Every module has its own:
// the symbols are hidden.
inline std::atomic<Entry*> made{nullptr};

inline void Add(Entry& entry) noexcept {
    entry.next = made.load();
    while (!made.compare_exchange_weak(entry.next, &entry)) {
    }
}

template <class T>
void Destroy(void* object) {
    static_cast<T*>(object)->~T();
}

} // namespace processwide

template <class T, class Tag = T>
T& ProcessWide() noexcept {
    alignas(T) static unsigned char storage[sizeof(T)];
    static processwide::Entry entry;
    static T* const object = [] {
        T* made = ::new (static_cast<void*>(storage)) T();
        entry.destroy = &processwide::Destroy<T>;
        entry.object = made;
        processwide::Add(entry);
        return made;
    }();
    return *object;
}

// Ends every process-wide object of this module, the newest first. For the
// unload hook only: nothing may use them afterwards.
inline void DestroyProcessWide() noexcept {
    for (processwide::Entry* entry = processwide::made.exchange(nullptr); entry; entry = entry->next)
        entry->destroy(entry->object);
}

// Called by a module's entry point, before it makes any process-wide
// object: unloading the module from a process that goes on then destroys
// them, unless a call is still in flight (a host's mistake, which then goes
// on using them: better a leak than a crash).
inline void FreeProcessWideAtUnload() {
    static const bool set = (platform::SetUnloadHook([] {
                                 if (CallsInFlight() == 0)
                                     DestroyProcessWide();
                             }),
                             true);
    (void)set;
}

} // namespace vcom

#endif
