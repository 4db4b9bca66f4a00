// Opening keys under HKEY_LOCAL_MACHINE, in its 32-bit view whatever the
// width of the library, where a standard user may read but not write; the
// test seam of platform/Registry.h denies writes here as Windows does for
// such a user. Private to platform/win.
#ifndef TARN_PLATFORM_WIN_MACHINEKEYS_H
#define TARN_PLATFORM_WIN_MACHINEKEYS_H

#include <windows.h>

namespace platform {

// RegOpenKeyExA under HKEY_LOCAL_MACHINE.
LONG OpenMachineKey(const char* path, REGSAM sam, HKEY* key);
// RegCreateKeyExA (non-volatile) under HKEY_LOCAL_MACHINE.
LONG CreateMachineKey(const char* path, REGSAM sam, HKEY* key, DWORD* disposition);

// Closes an HKEY when it goes out of scope.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle() { Reset(); }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    HKEY* Receive() {
        Reset();
        return &m_key;
    }
    HKEY get() const { return m_key; }
    HKEY Release() {
        const HKEY key = m_key;
        m_key = nullptr;
        return key;
    }
    void Reset() {
        if (m_key)
            RegCloseKey(m_key);
        m_key = nullptr;
    }

private:
    HKEY m_key = nullptr;
};

} // namespace platform

#endif
