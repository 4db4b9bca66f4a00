#include "vcom/MemHolder.h"

#include <cstring>

namespace vcom {

char* CopyOut(const std::string& text) {
    char* copy = static_cast<char*>(TarnClientLib_MemAlloc(static_cast<std::uint32_t>(text.size() + 1)));
    if (copy)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

} // namespace vcom
