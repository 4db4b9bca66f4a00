#include "customer/TicketReplyRules.h"

#include <cstdlib>

namespace customer {

namespace {

struct CodeRange {
    std::uint32_t first;
    std::uint32_t last;
};

const CodeRange kCorrectable[] = {
    {1003, 1004}, {1007, 1007}, {2003, 2006}, {3000, 3001}, {3003, 3004}, {4000, 4003}, {4006, 4007},
};

} // namespace

bool IsCorrectableError(std::uint32_t code) {
    for (const CodeRange& range : kCorrectable) {
        if (code >= range.first && code <= range.last)
            return true;
    }
    return false;
}

long LifetimeValue(const char* text) { return text ? std::strtol(text, nullptr, 10) : 0; }

} // namespace customer
