#include "TicketKey.h"

#include <random>

namespace devserver {

std::string NewTicketKey() {
    static const char digits[] = "0123456789ABCDEF";
    std::random_device source;
    std::string key;
    for (int word = 0; word < 4; ++word) {
        unsigned value = source();
        for (int nibble = 0; nibble < 8; ++nibble, value >>= 4)
            key += digits[value & 0xF];
    }
    return key;
}

} // namespace devserver
