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

Library::Library(std::string serverAddress, std::int32_t timeoutMs, FailureLines& lines)
    : m_serverAddress(std::move(serverAddress)), m_timeoutMs(timeoutMs), m_lines(lines),
      m_factory(TarnClientLib_GetComponentFactory()) {
    if (!m_factory)
        throw ToolError("the library cannot create its component factory", ExitFailed);
    std::int32_t err = 0;
    m_core = Ref<ICoreFactory>::Adopt(m_factory->QueryInterface(ICoreFactory::Id, &err));
    Require(m_core.get(), "the core factory", err, false);
}

Ref<IAddressManager> Library::AddressManager() {
    std::int32_t err = 0;
    m_lines.Mark();
    auto manager = Ref<IAddressManager>::Adopt(m_core->CreateAddressManager(IAddressManager::Id, &err, ServerAddress()));
    Require(manager.get(), "the address manager", err, true);
    ApplyTimeout(*manager);
    return manager;
}

Ref<ICustomerManager> Library::CustomerManager() {
    std::int32_t err = 0;
    m_lines.Mark();
    auto manager =
        Ref<ICustomerManager>::Adopt(m_factory->CreateCustomerManager(ICustomerManager::Id, &err, ServerAddress()));
    Require(manager.get(), "the customer manager", err, true);
    ApplyTimeout(*manager);
    return manager;
}

Ref<IMachineIdentity> Library::MachineIdentity() {
    std::int32_t err = 0;
    m_lines.Mark();
    auto identity = Ref<IMachineIdentity>::Adopt(m_core->CreateMachineIdentity(IMachineIdentity::Id, &err));
    Require(identity.get(), "the machine identity", err, false);
    return identity;
}

Ref<IServerLocation> Library::Location() {
    std::int32_t err = 0;
    m_lines.Mark();
    auto location = Ref<IServerLocation>::Adopt(m_core->GetConfiguration(IServerLocation::Id, &err, ServerAddress()));
    Require(location.get(), "the server location", err, true);
    return location;
}

std::string Library::Where() {
    if (!m_serverAddress.empty())
        return m_serverAddress;
    return TakeText(Location()->GetAddress());
}

Ref<tarnclient::ICallControl> Library::Control(vcom::IComponent& component) {
    std::int32_t err = 0;
    auto control = Ref<tarnclient::ICallControl>::Adopt(component.QueryInterface(tarnclient::ICallControl::Id, &err));
    if (!control)
        throw ToolError("the library's component has no call control", ExitFailed);
    return control;
}

namespace {

// What tarn's exit status says of each kind of failure.
ExitCode StatusOf(std::int32_t kind) {
    switch (kind) {
    case tarnclient::CallRefused: return ExitRefused;
    case tarnclient::CallCancelled: return ExitInterrupted;
    case tarnclient::CallBadArgument: return ExitUsage;
    default: return ExitFailed;
    }
}

} // namespace

ToolError Library::Failure(const std::string& text, vcom::IComponent& component, const std::string& hint) {
    std::int32_t kind = tarnclient::CallSucceeded;
    const std::string cause = TakeText(Control(component)->GetLastFailure(&kind));
    if (cause.empty())
        return ToolError(hint.empty() ? text : text + "; " + hint, ExitFailed);
    return ToolError(text + ": " + cause, StatusOf(kind));
}

bool Library::CallFailed(vcom::IComponent& component) {
    std::int32_t kind = tarnclient::CallSucceeded;
    TakeText(Control(component)->GetLastFailure(&kind));
    return kind != tarnclient::CallSucceeded;
}

void Library::ApplyTimeout(vcom::IComponent& component) const {
    if (m_timeoutMs > 0)
        Control(component)->SetDeadline(m_timeoutMs);
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
    const FailureCause cause = m_lines.First();
    if (cause.text.empty())
        throw ToolError(hint.empty() ? text : text + "; " + hint, ExitFailed);
    // The hint says what to do even when the trace named the step.
    throw ToolError(text + ": " + cause.text + (hint.empty() ? "" : "; " + hint), cause.status);
}

} // namespace tarn
