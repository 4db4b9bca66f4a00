#include "platform/UserSecret.h"

#include <new>
#include <utility>
#include <vector>

#include <windows.h>
#include <wincrypt.h>

#include "platform/win/MachineKeys.h"

namespace platform {

namespace {

// The output of CryptProtectData / CryptUnprotectData, freed with LocalFree.
class CryptBlob {
public:
    CryptBlob() = default;
    ~CryptBlob() { LocalFree(m_blob.pbData); }
    CryptBlob(const CryptBlob&) = delete;
    CryptBlob& operator=(const CryptBlob&) = delete;

    DATA_BLOB* Receive() { return &m_blob; }
    std::string Bytes() const { return std::string(reinterpret_cast<const char*>(m_blob.pbData), m_blob.cbData); }

private:
    DATA_BLOB m_blob{0, nullptr};
};

DATA_BLOB In(const std::string& bytes) {
    return DATA_BLOB{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

// For this user alone, and never by asking on screen.
bool Protect(const std::string& plain, std::string& sealed) {
    DATA_BLOB in = In(plain);
    CryptBlob out;
    if (!CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, out.Receive()))
        return false;
    sealed = out.Bytes();
    return true;
}

bool Unprotect(const std::string& sealed, std::string& plain) {
    DATA_BLOB in = In(sealed);
    CryptBlob out;
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, out.Receive()))
        return false;
    plain = out.Bytes();
    return true;
}

// The stored bytes of a value, whatever its type.
bool ReadBytes(HKEY key, const char* name, std::string& bytes) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    try {
        std::vector<BYTE> data(size ? size : 1);
        if (RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS)
            return false;
        bytes.assign(reinterpret_cast<const char*>(data.data()), size);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool WriteProtected(HKEY key, const char* name, const std::string& plain) {
    std::string sealed;
    return Protect(plain, sealed) &&
           RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(sealed.data()),
                          static_cast<DWORD>(sealed.size())) == ERROR_SUCCESS;
}

// A plain value an older installation kept under HKEY_LOCAL_MACHINE, for
// whoever logged in last on the machine. It becomes this user's protected
// value only where this user may delete it there in the same step; anywhere
// else it is left alone and not read, so no user's login reaches another
// user's store. A move cut short keeps the machine's value and drops the copy.
bool TakeOverMachineValue(HKEY userKey, const char* keyPath, const char* name, std::string& bytes) {
    KeyHandle machine;
    std::string plain;
    if (OpenMachineKey(keyPath, KEY_QUERY_VALUE | KEY_SET_VALUE, machine.Receive()) != ERROR_SUCCESS ||
        !ReadBytes(machine.get(), name, plain) || !WriteProtected(userKey, name, plain))
        return false;
    if (RegDeleteValueA(machine.get(), name) != ERROR_SUCCESS) {
        RegDeleteValueA(userKey, name);
        return false;
    }
    bytes = std::move(plain);
    return true;
}

} // namespace

bool LoadUserSecret(const char* keyPath, const char* name, std::string& bytes) {
    KeyHandle user;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_SET_VALUE,
                        nullptr, user.Receive(), &disposition) != ERROR_SUCCESS)
        return false;
    std::string sealed;
    if (disposition == REG_OPENED_EXISTING_KEY && ReadBytes(user.get(), name, sealed))
        return Unprotect(sealed, bytes);
    return TakeOverMachineValue(user.get(), keyPath, name, bytes);
}

bool SaveUserSecret(const char* keyPath, const char* name, const std::string& bytes) {
    KeyHandle user;
    return RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_SET_VALUE, user.Receive()) == ERROR_SUCCESS &&
           WriteProtected(user.get(), name, bytes);
}

} // namespace platform
