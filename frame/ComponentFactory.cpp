#include "frame/ComponentFactory.h"

#include "address/Address.h"
#include "customer/Customer.h"
#include "vcom/CriticalSection.h"
#include "platform/Unload.h"
#include "vcom/Boundary.h"
#include "vcom/Ref.h"

namespace frame {

using tarnclient::IServerLocation;

namespace {

// Guards the factory global so that two threads always share one factory and
// a factory being destroyed is never handed out.
vcom::CriticalSection& FactoryLock() {
    static vcom::CriticalSection lock;
    return lock;
}
ComponentFactory* g_factory = nullptr;

void OnUnload() { address::DestroyConfiguration(); }
const bool g_unloadHookSet = (platform::SetUnloadHook(&OnUnload), true);

// The location every service component starts from.
vcom::ref<IServerLocation> Location(ComponentFactory& factory, std::int32_t* err, const char* serverAddress) {
    return vcom::ref<IServerLocation>(
        static_cast<IServerLocation*>(factory.GetConfiguration(IServerLocation::Id, err, serverAddress)));
}

} // namespace

ComponentFactory::~ComponentFactory() {
    vcom::ScopedLock guard(FactoryLock());
    if (g_factory == this)
        g_factory = nullptr;
}

bool ComponentFactory::AddRefIfAlive() {
    std::int32_t count = m_refs.load();
    while (count > 0) {
        if (m_refs.compare_exchange_weak(count, count + 1))
            return true;
    }
    return false;
}

tarnclient::IComponentFactory* ComponentFactory::Get() {
    (void)g_unloadHookSet;
    vcom::ScopedLock guard(FactoryLock());
    if (!g_factory || !g_factory->AddRefIfAlive()) {
        g_factory = new (std::nothrow) ComponentFactory();
        if (!g_factory)
            return nullptr;
        g_factory->AddRef();
    }
    return g_factory;
}

vcom::IComponent* ComponentFactory::CreateCustomerManager(std::int32_t id, std::int32_t* err,
                                                          const char* serverAddress) {
    return vcom::CatchPointer(err, [&]() -> vcom::IComponent* {
        vcom::ref<IServerLocation> location = Location(*this, err, serverAddress);
        if (!location)
            return nullptr;
        return customer::CreateCustomerManager(id, err, location.get());
    });
}

vcom::IComponent* ComponentFactory::CreateReserved1(std::int32_t, std::int32_t* err, std::int32_t) {
    if (err)
        *err = vcom::NotImplemented;
    return nullptr;
}

vcom::IComponent* ComponentFactory::CreateAddressManager(std::int32_t id, std::int32_t* err,
                                                         const char* serverAddress) {
    return vcom::CatchPointer(err, [&]() -> vcom::IComponent* {
        vcom::ref<IServerLocation> location = Location(*this, err, serverAddress);
        if (!location)
            return nullptr;
        return address::CreateAddressManager(id, err, location.get());
    });
}

vcom::IComponent* ComponentFactory::CreateServerAddress(std::int32_t id, const char* name, const char* address,
                                                        std::int32_t* err, std::int32_t uc) {
    return vcom::CatchPointer(err, [&] { return address::CreateServerAddress(id, name, address, err, uc); });
}

vcom::IComponent* ComponentFactory::CreateMachineIdentity(std::int32_t id, std::int32_t* err) {
    return vcom::CatchPointer(err, [&] { return customer::CreateMachineIdentity(id, err); });
}

vcom::IComponent* ComponentFactory::CreateReserved2(std::int32_t, std::int32_t, std::int32_t, std::int32_t* err) {
    if (err)
        *err = vcom::NotImplemented;
    return nullptr;
}

vcom::IComponent* ComponentFactory::CreateReserved3(std::int32_t, std::int32_t) { return nullptr; }

vcom::IComponent* ComponentFactory::GetConfiguration(std::int32_t id, std::int32_t* err, const char* serverAddress) {
    return vcom::CatchPointer(err, [&] { return address::GetConfiguration(id, err, serverAddress); });
}

} // namespace frame
