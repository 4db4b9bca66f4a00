// The one implementation of the common operations of every component.
//
// A component states its interfaces in one line:
//
//   class ServerAddress : public vcom::Component<ServerAddress, vcom::Iface<IServerAddress>> { ... };
//
// The Iface list is the one table that QueryInterface and Supports both read,
// so they cannot disagree. The first Iface is the primary interface and also
// answers id 0. Extra ids after the interface name the same sub-object.
#ifndef TARN_VCOM_COMPONENT_H
#define TARN_VCOM_COMPONENT_H

#include <atomic>
#include <cstdint>
#include <new>
#include <utility>

#include <tarnclient/TarnClient.h>

#include "vcom/Codes.h"

namespace vcom {

template <class I, std::int32_t... MoreIds>
struct Iface {
    using Interface = I;
    static constexpr bool Answers(std::int32_t id) { return id == I::Id || ((id == MoreIds) || ...); }
};

template <class Self, class PrimaryIds, class... Others>
class Component : public PrimaryIds::Interface, public Others::Interface... {
public:
    using PrimaryInterface = typename PrimaryIds::Interface;

    std::int32_t Reserved(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {
        return NotImplemented;
    }

    std::int32_t AddRef() override { return ++m_refs; }

    std::int32_t Release() override {
        const std::int32_t left = --m_refs;
        if (left == 0)
            delete static_cast<Self*>(this);
        return left;
    }

    IComponent* QueryInterfaceConst(std::int32_t id, std::int32_t* err) const override {
        return const_cast<Component*>(this)->Answer(id, err);
    }

    IComponent* QueryInterfaceMutable(std::int32_t id, std::int32_t* err) override { return Answer(id, err); }

    // Every interface base has the QueryInterface pair; this one is the object's.
    IComponent* QueryInterface(std::int32_t id, std::int32_t* err) const { return QueryInterfaceConst(id, err); }
    IComponent* QueryInterface(std::int32_t id, std::int32_t* err) { return Answer(id, err); }

    bool Supports(std::int32_t id) override { return Find(id) != nullptr; }

    // The object as its primary interface (unambiguous, unlike IComponent*).
    IComponent* Primary() { return static_cast<PrimaryInterface*>(this); }

protected:
    Component() = default;
    // Virtual whatever the root's destructor is (the header makes it virtual
    // on one target only); on Windows its entries follow the interface's own.
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    std::atomic<std::int32_t> m_refs{0};

    // The destructor entry of the Windows layout: bit 0 of flags frees the
    // memory. Elsewhere the root has a virtual destructor instead and this
    // member is never used.
    void* DeletingDestructor(unsigned int flags) TARNCLIENT_ENTRY6_OVERRIDE {
        Self* self = static_cast<Self*>(this);
        if (flags & 1u)
            delete self;
        else
            self->~Self();
        return self;
    }

private:
    IComponent* Find(std::int32_t id) {
        if (id == 0 || PrimaryIds::Answers(id))
            return static_cast<PrimaryInterface*>(this);
        IComponent* found = nullptr;
        ((found == nullptr && Others::Answers(id) ? void(found = static_cast<typename Others::Interface*>(this))
                                                   : void()),
         ...);
        return found;
    }

    IComponent* Answer(std::int32_t id, std::int32_t* err) {
        std::int32_t local = 0;
        std::int32_t& code = err ? *err : local;
        code = Success;
        IComponent* found = Find(id);
        if (!found) {
            code = Failure;
            return nullptr;
        }
        found->AddRef();
        return found;
    }
};

// The creation handshake: AddRef, QueryInterface(id), Release. The caller gets
// exactly one reference, or null with the query's code when the object does
// not answer id, in which case the object is gone.
inline IComponent* Deliver(IComponent* object, std::int32_t id, std::int32_t* err) {
    object->AddRef();
    IComponent* result = object->QueryInterface(id, err);
    object->Release();
    return result;
}

// Constructs T (count 0) and runs the handshake. Allocation failure throws
// OutOfMemory; a constructor's thrown code passes through.
template <class T, class... Args>
IComponent* Create(std::int32_t id, std::int32_t* err, Args&&... args) {
    T* object = new (std::nothrow) T(std::forward<Args>(args)...);
    if (!object)
        Fail(OutOfMemory);
    return Deliver(object->Primary(), id, err);
}

} // namespace vcom

#endif
