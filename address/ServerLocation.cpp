#include "address/ServerLocation.h"

#include <cstdlib>

namespace address {

bool SplitHostPort(std::string_view text, std::size_t& colon, std::int32_t& port) {
    colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    // The text after ':' ends at its end, not at a NUL that atoi would stop at.
    const std::string after(text.substr(colon + 1));
    port = static_cast<std::int32_t>(std::atoi(after.c_str()));
    return true;
}

bool SplitLocation(const std::string& text, ServerLocation& out) {
    std::size_t colon = 0;
    std::int32_t port = 0;
    if (!SplitHostPort(text, colon, port))
        return false;
    out.address = text;
    out.host = text.substr(0, colon);
    out.port = port;
    return true;
}

} // namespace address
