// The library's one component factory.
#ifndef TARN_FRAME_COMPONENTFACTORY_H
#define TARN_FRAME_COMPONENTFACTORY_H

#include <tarnclient/TarnClient.h>

#include "vcom/Component.h"

namespace frame {

class ComponentFactory
    : public vcom::Component<ComponentFactory, vcom::Iface<tarnclient::IComponentFactory>,
                             vcom::Iface<tarnclient::ICoreFactory>> {
public:
    ComponentFactory() = default;

    // The process's one factory (vcom/ProcessWide.h) with one more reference.
    static tarnclient::IComponentFactory* Get();

    // Process-wide: the last Release leaves it in place for the next Get.
    std::int32_t Release() override;

    // IComponentFactory
    vcom::IComponent* CreateCustomerManager(std::int32_t id, std::int32_t* err, const char* serverAddress) override;
    vcom::IComponent* CreateReserved1(std::int32_t a, std::int32_t* err, std::int32_t b) override;

    // ICoreFactory
    vcom::IComponent* CreateAddressManager(std::int32_t id, std::int32_t* err, const char* serverAddress) override;
    vcom::IComponent* CreateServerAddress(std::int32_t id, const char* name, const char* address, std::int32_t* err,
                                          std::int32_t uc) override;
    vcom::IComponent* CreateMachineIdentity(std::int32_t id, std::int32_t* err) override;
    vcom::IComponent* CreateReserved2(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t* err) override;
    vcom::IComponent* CreateReserved3(std::int32_t a, std::int32_t b) override;
    vcom::IComponent* GetConfiguration(std::int32_t id, std::int32_t* err, const char* serverAddress) override;
};

} // namespace frame

#endif
