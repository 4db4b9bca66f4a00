// The library as tarn uses it: the component factory and the components it
// creates (with tarn's deadline), each creation failure turned into one
// readable ToolError, and the cause of a failed call as the component's
// ICallControl reports it.
#ifndef TARN_TOOLS_TARN_LIBRARY_H
#define TARN_TOOLS_TARN_LIBRARY_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>

#include "ToolError.h"
#include "FailureLines.h"

namespace tarn {

using tarnclient::Ref;

class Library {
public:
    // serverAddress: "HOST:PORT", or empty for the location the registry
    // holds. timeoutMs: each call's deadline, 0 for the library's own
    // bounds. lines must outlive the library's use.
    Library(std::string serverAddress, std::int32_t timeoutMs, FailureLines& lines);

    Ref<tarnclient::IAddressManager> AddressManager();
    Ref<tarnclient::ICustomerManager> CustomerManager();
    Ref<tarnclient::IMachineIdentity> MachineIdentity();
    Ref<tarnclient::IServerLocation> Location();
    // True when the location comes from the registry, not from --server.
    bool ReadsRegistry() const { return m_serverAddress.empty(); }

    // The server a request goes to, for the progress line.
    std::string Where();

    // The control over component's calls (every service component has one).
    static Ref<tarnclient::ICallControl> Control(vcom::IComponent& component);
    // A failed call of component: text, then the cause its last failure
    // names (or hint when it names none), with the status that kind calls for.
    static ToolError Failure(const std::string& text, vcom::IComponent& component,
                             const std::string& hint = std::string());
    // Whether component's last call failed (a null that is not "nothing found").
    static bool CallFailed(vcom::IComponent& component);

private:
    // Null when no address was given, so the library reads the registry.
    const char* ServerAddress() const;
    // Throws a ToolError naming what could not be created, when result is null.
    void Require(const vcom::IComponent* result, const char* what, std::int32_t err, bool usesLocation) const;
    // A new service component gets tarn's deadline.
    void ApplyTimeout(vcom::IComponent& component) const;

    std::string m_serverAddress;
    std::int32_t m_timeoutMs;
    FailureLines& m_lines;
    Ref<tarnclient::IComponentFactory> m_factory;
    Ref<tarnclient::ICoreFactory> m_core;
};

} // namespace tarn

#endif
