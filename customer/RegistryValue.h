// Reading a registry value the way every customer setting is read: its size
// first, then its bytes, whatever type it was stored with.
#ifndef TARN_CUSTOMER_REGISTRYVALUE_H
#define TARN_CUSTOMER_REGISTRYVALUE_H

#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace customer {

enum class ValueRead {
    Ok,
    Absent,     // the value does not exist
    NoMemory,   // memory ran short, in the registry or for the buffer
    Unreadable, // any other failure: the value may well exist
};

// bytes receives exactly the stored bytes (possibly none).
ValueRead ReadValueBytes(platform::RegKey& key, const char* name, std::string& bytes);

// A failed registry call as a thrown code: -4 when memory ran short, else -1.
[[noreturn]] void FailWith(std::int32_t regResult);

// The text a value holds: its bytes up to the first NUL, or all of them.
std::string TextUpToNul(const std::string& bytes);

} // namespace customer

#endif
