// Writes the server's address where the library looks for it when a host
// gives none: the registry value "QAS Address". On Linux that is the file
// this user's library writes (TARN_REGISTRY, else the per-user file), or,
// for an installer run as root, the machine-wide file every user reads.
#ifndef TARN_TOOLS_DEVSERVER_REGISTRATION_H
#define TARN_TOOLS_DEVSERVER_REGISTRATION_H

#include <string>

namespace devserver {

// Throws std::runtime_error when the value cannot be written.
void RegisterAddress(const std::string& address, bool machineWide);

} // namespace devserver

#endif
