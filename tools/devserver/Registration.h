// Writes the server's address where the library looks for it when a host
// gives none: the registry value "QAS Address" (on Linux, the database that
// TARN_REGISTRY names).
#ifndef TARN_TOOLS_DEVSERVER_REGISTRATION_H
#define TARN_TOOLS_DEVSERVER_REGISTRATION_H

#include <string>

namespace devserver {

// Throws std::runtime_error when the value cannot be written.
void RegisterAddress(const std::string& address);

} // namespace devserver

#endif
