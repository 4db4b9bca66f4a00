// A server location "<IP Address>:<Port>" split at its first ':'.
#ifndef TARN_ADDRESS_SERVERLOCATION_H
#define TARN_ADDRESS_SERVERLOCATION_H

#include <cstdint>
#include <string>

namespace address {

struct ServerLocation {
    std::string address; // as given, including anything after the port digits
    std::string host;    // before the first ':' (may be empty)
    std::int32_t port = 0;
};

// Splits text at its first ':'; the port is read as atoi reads it. False when
// there is no ':'.
bool SplitLocation(const std::string& text, ServerLocation& out);

} // namespace address

#endif
