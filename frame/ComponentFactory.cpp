#include "frame/ComponentFactory.h"

#include "address/Address.h"
#include "customer/Customer.h"
#include "messages/Trace.h"
#include "platform/Unload.h"
#include "vcom/Boundary.h"
#include "vcom/Ref.h"
#include "vcom/SharedInstance.h"

namespace frame {

using tarnclient::IServerLocation;

namespace {

// The factory global: two threads always share one factory and a factory
// being destroyed is never handed out (vcom/SharedInstance.h).
vcom::SharedInstance<ComponentFactory>& Factories() { return vcom::SharedInstanceOf<ComponentFactory>(); }

// The trace file is closed too, so that loading and unloading the library
// again and again leaves no descriptor behind.
void OnUnload() {
    address::DestroyConfiguration();
    tarnClientLib::CloseTrace();
}
const bool g_unloadHookSet = (platform::SetUnloadHook(&OnUnload), true);

// The location every service component starts from.
vcom::ref<IServerLocation> Location(ComponentFactory& factory, std::int32_t* err, const char* serverAddress) {
    return vcom::ref<IServerLocation>(
        static_cast<IServerLocation*>(factory.GetConfiguration(IServerLocation::Id, err, serverAddress)));
}

} // namespace

ComponentFactory::~ComponentFactory() { Factories().Forget(this); }

tarnclient::IComponentFactory* ComponentFactory::Get() {
    (void)g_unloadHookSet;
    return Factories().Acquire();
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
