#include "Registration.h"

#include <stdexcept>

#include "platform/Registry.h"

namespace devserver {

void RegisterAddress(const std::string& address, bool machineWide) {
    if (machineWide)
        platform::UseMachineWideRegistry();
    platform::RegKey key;
    std::int32_t result = key.CreateOrOpen("Software\\Orvane\\Tarn\\Config", platform::RegReadWrite, nullptr);
    if (result == platform::RegOk)
        result = key.SetValue("QAS Address", platform::RegSz, reinterpret_cast<const unsigned char*>(address.c_str()),
                              static_cast<std::uint32_t>(address.size() + 1));
    if (result != platform::RegOk)
        throw std::runtime_error("cannot write the registry value \"QAS Address\" (error " + std::to_string(result) +
                                 ")");
}

} // namespace devserver
