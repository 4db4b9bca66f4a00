// A server location "<IP Address>:<Port>" split at its first ':'.
#ifndef TARN_ADDRESS_SERVERLOCATION_H
#define TARN_ADDRESS_SERVERLOCATION_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace address {

struct ServerLocation {
    std::string address; // as given, including anything after the port digits
    std::string host;    // before the first ':' (may be empty)
    std::int32_t port = 0;
};

// The place of text's first ':' and the port after it, read as atoi reads
// it (leading blanks and a sign, digits up to the first other byte, no range
// check). False when there is no ':'. Server locations and server records
// are split alike.
bool SplitHostPort(std::string_view text, std::size_t& colon, std::int32_t& port);

// text split by SplitHostPort, address kept whole.
bool SplitLocation(const std::string& text, ServerLocation& out);

} // namespace address

#endif
