#include "tests/support/RegistryValues.h"

#include <stdexcept>
#include <vector>

#include <windows.h>
#include <wincrypt.h>

namespace tarntest {

namespace {

HKEY Create(HKEY root, const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the test registry key");
    return key;
}

void SetValue(HKEY root, const std::string& keyPath, const std::string& name, std::uint32_t type,
              const std::string& bytes) {
    HKEY key = Create(root, keyPath);
    const LONG rc = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("cannot write the test registry");
}

bool GetValue(HKEY root, const std::string& keyPath, const std::string& name, std::string& bytes,
              std::uint32_t* type) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
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

DATA_BLOB In(const std::string& bytes) {
    return DATA_BLOB{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

} // namespace

const bool kStoredLoginIsProtected = true;

void SetRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                      const std::string& bytes) {
    SetValue(HKEY_LOCAL_MACHINE, keyPath, name, type, bytes);
}

bool GetRegistryValue(const std::string& keyPath, const std::string& name, std::string& bytes, std::uint32_t* type) {
    return GetValue(HKEY_LOCAL_MACHINE, keyPath, name, bytes, type);
}

void SetUserRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                          const std::string& bytes) {
    SetValue(HKEY_CURRENT_USER, keyPath, name, type, bytes);
}

bool GetUserRegistryValue(const std::string& keyPath, const std::string& name, std::string& bytes,
                          std::uint32_t* type) {
    return GetValue(HKEY_CURRENT_USER, keyPath, name, bytes, type);
}

void SetStoredLogin(const std::string& text) {
    const std::string plain = text + '\0';
    DATA_BLOB in = In(plain), out{0, nullptr};
    if (!CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        throw std::runtime_error("cannot protect the test login");
    const std::string sealed(reinterpret_cast<const char*>(out.pbData), out.cbData);
    LocalFree(out.pbData);
    SetUserRegistryValue(kUserLogKey, kMostRecentlyUsed, REG_BINARY, sealed);
}

bool GetStoredLogin(std::string& text) {
    std::string sealed;
    std::uint32_t type = 0;
    if (!GetUserRegistryValue(kUserLogKey, kMostRecentlyUsed, sealed, &type) || type != REG_BINARY)
        return false;
    DATA_BLOB in = In(sealed), out{0, nullptr};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return false;
    text.assign(reinterpret_cast<const char*>(out.pbData), out.cbData);
    LocalFree(out.pbData);
    // Exactly one terminator, at the end.
    if (text.find('\0') != text.size() - 1)
        return false;
    text.pop_back();
    return true;
}

} // namespace tarntest
