// A process-wide single component that lives while somebody holds a reference
// (the component factory, the message factory).
//
// Handing out the instance and destroying it on its last Release are mutually
// exclusive: Acquire() runs under the process-wide lock and adds a reference
// only while the count is still above 0 (otherwise the instance is already
// being destroyed and a new one is made); the instance's destructor calls
// Forget(this), which takes the same lock and clears the pointer only if it
// still names the dying instance.
//
//   class MessageFactory : public vcom::Component<MessageFactory, ...> {
//       ~MessageFactory() override { Instance().Forget(this); }
//   };
//   vcom::SharedInstance<MessageFactory>& Instance();   // a function-local static
#ifndef TARN_VCOM_SHAREDINSTANCE_H
#define TARN_VCOM_SHAREDINSTANCE_H

#include <new>

#include "vcom/CriticalSection.h"
#include "vcom/Immortal.h"

namespace vcom {

template <class T>
class SharedInstance {
public:
    SharedInstance() = default;
    SharedInstance(const SharedInstance&) = delete;
    SharedInstance& operator=(const SharedInstance&) = delete;

    // The current instance with one more reference, or a new one (count 1);
    // null when it cannot be created.
    T* Acquire() {
        ScopedLock guard(m_lock);
        if (!m_instance || !m_instance->AddRefIfAlive()) {
            T* created = new (std::nothrow) T();
            if (!created)
                return nullptr;
            created->AddRef();
            m_instance = created;
        }
        return m_instance;
    }

    // From T's destructor.
    void Forget(T* dying) {
        ScopedLock guard(m_lock);
        if (m_instance == dying)
            m_instance = nullptr;
    }

private:
    CriticalSection m_lock;
    T* m_instance = nullptr;
};

// The one SharedInstance of T, made on first use and never destroyed, so an
// instance released during process exit still finds its lock.
template <class T>
SharedInstance<T>& SharedInstanceOf() {
    return Immortal<SharedInstance<T>>();
}

} // namespace vcom

#endif
