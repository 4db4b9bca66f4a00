#include "customer/RegistryValue.h"

#include <cstdint>
#include <new>
#include <vector>

#include "vcom/Codes.h"

namespace customer {

namespace {

ValueRead Failed(std::int32_t regResult) {
    return regResult == platform::RegNoMemory ? ValueRead::NoMemory : ValueRead::Unreadable;
}

} // namespace

void FailWith(std::int32_t regResult) {
    vcom::Fail(regResult == platform::RegNoMemory ? vcom::OutOfMemory : vcom::Failure);
}

ValueRead ReadValueBytes(platform::RegKey& key, const char* name, std::string& bytes) {
    std::uint32_t size = 0;
    const std::int32_t sized = key.QueryValue(name, nullptr, nullptr, &size);
    if (sized != platform::RegOk)
        return platform::IsAbsent(sized) ? ValueRead::Absent : Failed(sized);
    std::vector<unsigned char> buffer;
    try {
        // Room for at least one byte, so the data query always has a buffer.
        buffer.resize(size ? size : 1);
    } catch (const std::bad_alloc&) {
        return ValueRead::NoMemory;
    }
    const std::int32_t read = key.QueryValue(name, nullptr, buffer.data(), &size);
    if (read != platform::RegOk)
        return Failed(read);
    bytes.assign(reinterpret_cast<const char*>(buffer.data()), size);
    return ValueRead::Ok;
}

std::string TextUpToNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

} // namespace customer
