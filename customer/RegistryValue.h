// Reading a registry value the way every customer setting is read: its size
// first, then its bytes, whatever type it was stored with.
#ifndef TARN_CUSTOMER_REGISTRYVALUE_H
#define TARN_CUSTOMER_REGISTRYVALUE_H

#include <string>

#include "platform/Registry.h"

namespace customer {

enum class ValueRead {
    Ok,
    Absent,     // the size query failed: as a rule the value does not exist
    NoMemory,   // no buffer of the stored size could be had
    Unreadable, // the size was known but the data query failed
};

// bytes receives exactly the stored bytes (possibly none).
ValueRead ReadValueBytes(platform::RegKey& key, const char* name, std::string& bytes);

// The text a value holds: its bytes up to the first NUL, or all of them.
std::string TextUpToNul(const std::string& bytes);

} // namespace customer

#endif
