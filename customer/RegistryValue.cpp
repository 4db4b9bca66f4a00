#include "customer/RegistryValue.h"

#include <cstdint>
#include <new>
#include <vector>

namespace customer {

ValueRead ReadValueBytes(platform::RegKey& key, const char* name, std::string& bytes) {
    std::uint32_t size = 0;
    if (key.QueryValue(name, nullptr, nullptr, &size) != platform::RegOk)
        return ValueRead::Absent;
    std::vector<unsigned char> buffer;
    try {
        // Room for at least one byte, so the data query always has a buffer.
        buffer.resize(size ? size : 1);
    } catch (const std::bad_alloc&) {
        return ValueRead::NoMemory;
    }
    if (key.QueryValue(name, nullptr, buffer.data(), &size) != platform::RegOk)
        return ValueRead::Unreadable;
    bytes.assign(reinterpret_cast<const char*>(buffer.data()), size);
    return ValueRead::Ok;
}

std::string TextUpToNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

} // namespace customer
