#include "tests/support/RegistryValues.h"

#include <stdexcept>
#include <vector>

#include <windows.h>

namespace tarntest {

namespace {

HKEY Create(const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the test registry key");
    return key;
}

} // namespace

void CreateRegistryKey(const std::string& keyPath) { RegCloseKey(Create(keyPath)); }

void SetRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                      const std::string& bytes) {
    HKEY key = Create(keyPath);
    const LONG rc = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("cannot write the test registry");
}

bool GetRegistryValue(const std::string& keyPath, const std::string& name, std::string& bytes, std::uint32_t* type) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0, kind = 0;
    bool found = RegQueryValueExA(key, name.c_str(), nullptr, &kind, nullptr, &size) == ERROR_SUCCESS;
    if (found) {
        std::vector<BYTE> data(size ? size : 1);
        found = RegQueryValueExA(key, name.c_str(), nullptr, &kind, data.data(), &size) == ERROR_SUCCESS;
        bytes.assign(reinterpret_cast<const char*>(data.data()), size);
        if (type)
            *type = kind;
    }
    RegCloseKey(key);
    return found;
}

} // namespace tarntest
