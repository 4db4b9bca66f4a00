#include "Library.h"

#include <utility>

#include "CodeTexts.h"
#include "RegistryPlace.h"
#include "ToolError.h"

namespace tarn {

using tarnclient::IAddressManager;
using tarnclient::ICoreFactory;
using tarnclient::ICustomerManager;
using tarnclient::IMachineIdentity;
using tarnclient::IServerLocation;

Library::Library(std::string serverAddress)
    : m_serverAddress(std::move(serverAddress)), m_factory(TarnClientLib_GetComponentFactory()) {
    if (!m_factory)
        throw ToolError("the library cannot create its component factory");
    std::int32_t err = 0;
    m_core = Ref<ICoreFactory>::Adopt(m_factory->QueryInterface(ICoreFactory::Id, &err));
    Require(m_core.get(), "the core factory", err, false);
}

Ref<IAddressManager> Library::AddressManager() {
    std::int32_t err = 0;
    auto manager = Ref<IAddressManager>::Adopt(m_core->CreateAddressManager(IAddressManager::Id, &err, ServerAddress()));
    Require(manager.get(), "the address manager", err, true);
    return manager;
}

Ref<ICustomerManager> Library::CustomerManager() {
    std::int32_t err = 0;
    auto manager =
        Ref<ICustomerManager>::Adopt(m_factory->CreateCustomerManager(ICustomerManager::Id, &err, ServerAddress()));
    Require(manager.get(), "the customer manager", err, true);
    return manager;
}

Ref<IMachineIdentity> Library::MachineIdentity() {
    std::int32_t err = 0;
    auto identity = Ref<IMachineIdentity>::Adopt(m_core->CreateMachineIdentity(IMachineIdentity::Id, &err));
    Require(identity.get(), "the machine identity", err, false);
    return identity;
}

Ref<IServerLocation> Library::Location() {
    std::int32_t err = 0;
    auto location = Ref<IServerLocation>::Adopt(m_core->GetConfiguration(IServerLocation::Id, &err, ServerAddress()));
    Require(location.get(), "the server location", err, true);
    return location;
}

const char* Library::ServerAddress() const { return m_serverAddress.empty() ? nullptr : m_serverAddress.c_str(); }

void Library::Require(const vcom::IComponent* result, const char* what, std::int32_t err, bool usesLocation) const {
    if (result)
        return;
    std::string text = std::string("cannot create ") + what + ": " + ResultText(err);
    if (usesLocation && err == vcom::InvalidArgument)
        text += "; a server location is HOST:PORT";
    else if (usesLocation && err == vcom::Failure && m_serverAddress.empty())
        text += "; is the server location configured? Give --server HOST:PORT, or set \"QAS Address\" in " +
                RegistryPlace() + " (tarn-devserver --register does)";
    throw ToolError(text);
}

} // namespace tarn
