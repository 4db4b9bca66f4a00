// The per-user registry file is 0600, so the secret is kept as it was given.
#include "platform/UserSecret.h"

#include <cstdint>
#include <new>
#include <vector>

#include "platform/Registry.h"

namespace platform {

bool LoadUserSecret(const char* keyPath, const char* name, std::string& bytes) {
    RegKey key;
    bool created = false;
    if (key.CreateOrOpen(keyPath, RegRead, &created) != RegOk || created)
        return false;
    std::uint32_t size = 0;
    if (key.QueryValue(name, nullptr, nullptr, &size) != RegOk)
        return false;
    try {
        std::vector<unsigned char> data(size ? size : 1);
        if (key.QueryValue(name, nullptr, data.data(), &size) != RegOk)
            return false;
        bytes.assign(data.begin(), data.begin() + size);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool SaveUserSecret(const char* keyPath, const char* name, const std::string& bytes) {
    RegKey key;
    return key.Open(keyPath, RegWrite) == RegOk &&
           key.SetValue(name, RegSz, reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<std::uint32_t>(bytes.size())) == RegOk;
}

} // namespace platform
