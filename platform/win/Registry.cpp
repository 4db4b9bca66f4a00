// HKEY_LOCAL_MACHINE: the real registry, with HKEY_CURRENT_USER standing in
// for a key a standard user may not write.
#include "platform/Registry.h"

#include <initializer_list>
#include <memory>

#include <windows.h>

#include "platform/win/MachineKeys.h"

namespace platform {

namespace {

// What a RegKey's handle points at. Normally the machine key alone, opened
// as asked. Where writing it was denied: the machine key for reading, if it
// exists, and the user's key of the same path, which takes every write.
struct OpenKey {
    KeyHandle machine;
    KeyHandle user;
};

OpenKey* Key(void* handle) { return static_cast<OpenKey*>(handle); }

REGSAM Sam(RegAccess access) {
    REGSAM sam = 0;
    if (access & RegRead)
        sam |= KEY_READ;
    if (access & RegWrite)
        sam |= KEY_WRITE;
    return sam;
}

bool FallsBackToUser(LONG result, RegAccess access) { return result == ERROR_ACCESS_DENIED && (access & RegWrite); }

} // namespace

std::int32_t RegKey::Open(const char* path, RegAccess access) {
    Close();
    auto key = std::make_unique<OpenKey>();
    LONG result = OpenMachineKey(path, Sam(access), key->machine.Receive());
    if (FallsBackToUser(result, access)) {
        OpenMachineKey(path, KEY_READ, key->machine.Receive());
        result = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, Sam(access), key->user.Receive());
    }
    if (result == ERROR_SUCCESS)
        m_handle = key.release();
    return result;
}

std::int32_t RegKey::CreateOrOpen(const char* path, RegAccess access, bool* created) {
    Close();
    auto key = std::make_unique<OpenKey>();
    DWORD disposition = 0;
    LONG result = CreateMachineKey(path, Sam(access), key->machine.Receive(), &disposition);
    if (FallsBackToUser(result, access)) {
        // A key an administrator made is not new, even when this user's copy is.
        const bool machineHasIt = OpenMachineKey(path, KEY_READ, key->machine.Receive()) == ERROR_SUCCESS;
        result = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, Sam(access), nullptr,
                                 key->user.Receive(), &disposition);
        if (machineHasIt)
            disposition = REG_OPENED_EXISTING_KEY;
    }
    if (created)
        *created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    if (result == ERROR_SUCCESS)
        m_handle = key.release();
    return result;
}

std::int32_t RegKey::QueryValue(const char* name, std::uint32_t* type, unsigned char* data, std::uint32_t* size) {
    OpenKey* key = Key(m_handle);
    if (!key)
        return ERROR_INVALID_HANDLE;
    // The machine's value first; the user's where the machine has none.
    LONG result = ERROR_FILE_NOT_FOUND;
    for (HKEY from : {key->machine.get(), key->user.get()}) {
        if (!from)
            continue;
        DWORD storedType = 0;
        DWORD storedSize = size ? *size : 0;
        result = RegQueryValueExA(from, name, nullptr, type ? &storedType : nullptr, data, size ? &storedSize : nullptr);
        if (type && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA))
            *type = storedType;
        if (size && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA))
            *size = storedSize;
        if (result != ERROR_FILE_NOT_FOUND)
            break;
    }
    return result == ERROR_NOT_ENOUGH_MEMORY ? RegNoMemory : result;
}

std::int32_t RegKey::SetValue(const char* name, std::uint32_t type, const unsigned char* data, std::uint32_t size) {
    OpenKey* key = Key(m_handle);
    if (!key)
        return ERROR_INVALID_HANDLE;
    const HKEY to = key->user.get() ? key->user.get() : key->machine.get();
    const LONG result = RegSetValueExA(to, name, 0, type, data, size);
    return result == ERROR_NOT_ENOUGH_MEMORY ? RegNoMemory : result;
}

void RegKey::Close() {
    delete Key(m_handle);
    m_handle = nullptr;
}

// Registry transactions (KTM) are not offered to an ordinary process here:
// keys under a change are plain keys and every write lands at once.
std::int32_t RegKey::CreateOrOpen(const char* path, RegAccess access, bool* created, RegTransaction&) {
    return CreateOrOpen(path, access, created);
}

RegTransaction::~RegTransaction() = default;

std::int32_t RegTransaction::Commit() { return RegOk; }

} // namespace platform
