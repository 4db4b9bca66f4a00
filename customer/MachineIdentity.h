// The computer's stable identifier, generated once and kept in the registry.
#ifndef TARN_CUSTOMER_MACHINEIDENTITY_H
#define TARN_CUSTOMER_MACHINEIDENTITY_H

#include <string>

#include <tarnclient/TarnClient.h>

#include "vcom/Component.h"
#include "vcom/CriticalSection.h"

namespace customer {

// The identifier in "Machine ID", created from a new GUID (and stored) when
// there is none. Throws a code.
std::string ReadOrCreateMachineId();

class MachineIdentity : public vcom::Component<MachineIdentity, vcom::Iface<tarnclient::IMachineIdentity>> {
public:
    // Reads "Machine ID", or creates it from a new GUID. Throws a code.
    MachineIdentity();

    char* GetMachineId() override;

private:
    vcom::CriticalSection m_lock;
    std::string m_machineId;
};

} // namespace customer

#endif
