#include "address/ServerLocation.h"

#include <cstdlib>

namespace address {

bool SplitLocation(const std::string& text, ServerLocation& out) {
    const std::string::size_type colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    out.address = text;
    out.host = text.substr(0, colon);
    // atoi semantics: leading blanks and a sign, digits up to the first other byte, no range check.
    out.port = static_cast<std::int32_t>(std::atoi(text.c_str() + colon + 1));
    return true;
}

} // namespace address
