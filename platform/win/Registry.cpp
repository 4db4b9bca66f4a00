// HKEY_LOCAL_MACHINE: the real registry.
#include "platform/Registry.h"

#include <windows.h>

namespace platform {

namespace {

HKEY Key(void* handle) { return static_cast<HKEY>(handle); }

REGSAM Sam(RegAccess access) {
    REGSAM sam = 0;
    if (access & RegRead)
        sam |= KEY_READ;
    if (access & RegWrite)
        sam |= KEY_WRITE;
    return sam;
}

} // namespace

std::int32_t RegKey::Open(const char* path, RegAccess access) {
    Close();
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, Sam(access), &key);
    if (result == ERROR_SUCCESS)
        m_handle = key;
    return result;
}

std::int32_t RegKey::CreateOrOpen(const char* path, RegAccess access, bool* created) {
    Close();
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, Sam(access),
                                        nullptr, &key, &disposition);
    if (result == ERROR_SUCCESS)
        m_handle = key;
    if (created)
        *created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return result;
}

std::int32_t RegKey::QueryValue(const char* name, std::uint32_t* type, unsigned char* data, std::uint32_t* size) {
    DWORD storedType = 0;
    DWORD storedSize = size ? *size : 0;
    const LONG result =
        RegQueryValueExA(Key(m_handle), name, nullptr, type ? &storedType : nullptr, data, size ? &storedSize : nullptr);
    if (type && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA))
        *type = storedType;
    if (size && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA))
        *size = storedSize;
    return result == ERROR_NOT_ENOUGH_MEMORY ? RegNoMemory : result;
}

std::int32_t RegKey::SetValue(const char* name, std::uint32_t type, const unsigned char* data, std::uint32_t size) {
    const LONG result = RegSetValueExA(Key(m_handle), name, 0, type, data, size);
    return result == ERROR_NOT_ENOUGH_MEMORY ? RegNoMemory : result;
}

void RegKey::Close() {
    if (m_handle)
        RegCloseKey(Key(m_handle));
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
