// The library as tarn uses it: the component factory and the components it
// creates, each creation failure turned into one readable ToolError, and the
// cause of a failed call as the library's trace names it.
#ifndef TARN_TOOLS_TARN_LIBRARY_H
#define TARN_TOOLS_TARN_LIBRARY_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>

#include "ToolError.h"
#include "TraceCapture.h"

namespace tarn {

using tarnclient::Ref;

class Library {
public:
    // serverAddress: "HOST:PORT", or empty for the location the registry
    // holds. trace must be set up before, and outlive, the library's use.
    Library(std::string serverAddress, const TraceCapture& trace);

    Ref<tarnclient::IAddressManager> AddressManager();
    Ref<tarnclient::ICustomerManager> CustomerManager();
    Ref<tarnclient::IMachineIdentity> MachineIdentity();
    Ref<tarnclient::IServerLocation> Location();
    // True when the location comes from the registry, not from --server.
    bool ReadsRegistry() const { return m_serverAddress.empty(); }

    // The server a request goes to, for the progress line.
    std::string Where();

    // A failed call: text, then the failing step the trace names (or hint
    // when it names none), with the status that step calls for.
    ToolError Failure(const std::string& text, const std::string& hint = std::string()) const;
    // Whether the trace names a failing step since tarn started.
    bool HasFailureCause() const { return !m_trace.LastCause().text.empty(); }

private:
    // Null when no address was given, so the library reads the registry.
    const char* ServerAddress() const;
    // Throws a ToolError naming what could not be created, when result is null.
    void Require(const vcom::IComponent* result, const char* what, std::int32_t err, bool usesLocation) const;

    std::string m_serverAddress;
    const TraceCapture& m_trace;
    Ref<tarnclient::IComponentFactory> m_factory;
    Ref<tarnclient::ICoreFactory> m_core;
};

} // namespace tarn

#endif
