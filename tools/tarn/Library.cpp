#include "Library.h"

#include <utility>

#include "CodeTexts.h"
#include "LibText.h"
#include "RegistryPlace.h"

namespace tarn {

using tarnclient::IAddressManager;
using tarnclient::ICoreFactory;
using tarnclient::ICustomerManager;
using tarnclient::IMachineIdentity;
using tarnclient::IServerLocation;

Library::Library(std::string serverAddress, const TraceCapture& trace)
    : m_serverAddress(std::move(serverAddress)), m_trace(trace), m_factory(TarnClientLib_GetComponentFactory()) {
    if (!m_factory)
        throw ToolError("the library cannot create its component factory", ExitFailed);
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

std::string Library::Where() {
    if (!m_serverAddress.empty())
        return m_serverAddress;
    return TakeText(Location()->GetAddress());
}

ToolError Library::Failure(const std::string& text, const std::string& hint) const {
    const FailureCause cause = m_trace.LastCause();
    if (cause.text.empty())
        return ToolError(hint.empty() ? text : text + "; " + hint, ExitFailed);
    return ToolError(text + ": " + cause.text, cause.status);
}

const char* Library::ServerAddress() const { return m_serverAddress.empty() ? nullptr : m_serverAddress.c_str(); }

void Library::Require(const vcom::IComponent* result, const char* what, std::int32_t err, bool usesLocation) const {
    if (result)
        return;
    const std::string text = std::string("cannot create ") + what + ": " + ResultText(err);
    std::string hint;
    if (usesLocation && err == vcom::InvalidArgument)
        hint = "a server location is HOST:PORT";
    else if (usesLocation && err == vcom::Failure && m_serverAddress.empty())
        hint = "is the server location configured? Give --server HOST:PORT, or set \"QAS Address\" in " +
               RegistryPlace() + " (tarn-devserver --register does)";
    ToolError failure = Failure(text, hint);
    // The hint says what to do even when the trace named the step.
    if (!hint.empty() && HasFailureCause())
        throw ToolError(std::string(failure.what()) + "; " + hint, failure.Status());
    throw failure;
}

} // namespace tarn
