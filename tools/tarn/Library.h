// The library as tarn uses it: the component factory and the components it
// creates, each creation failure turned into one readable ToolError.
#ifndef TARN_TOOLS_TARN_LIBRARY_H
#define TARN_TOOLS_TARN_LIBRARY_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>

namespace tarn {

using tarnclient::Ref;

class Library {
public:
    // serverAddress: "HOST:PORT", or empty for the location the registry holds.
    explicit Library(std::string serverAddress);

    Ref<tarnclient::IAddressManager> AddressManager();
    Ref<tarnclient::ICustomerManager> CustomerManager();
    Ref<tarnclient::IMachineIdentity> MachineIdentity();
    Ref<tarnclient::IServerLocation> Location();

private:
    // Null when no address was given, so the library reads the registry.
    const char* ServerAddress() const;
    // Throws a ToolError naming what could not be created, when result is null.
    void Require(const vcom::IComponent* result, const char* what, std::int32_t err, bool usesLocation) const;

    std::string m_serverAddress;
    Ref<tarnclient::IComponentFactory> m_factory;
    Ref<tarnclient::ICoreFactory> m_core;
};

} // namespace tarn

#endif
