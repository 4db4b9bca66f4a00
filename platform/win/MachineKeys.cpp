#include "platform/win/MachineKeys.h"

#include <atomic>

#include "platform/Registry.h"

namespace platform {

namespace {

std::atomic<bool> g_denyWrites{false};

// 32-bit and 64-bit processes see different HKEY_LOCAL_MACHINE\Software
// on 64-bit Windows. Both widths of the library use the 32-bit view, where
// 32-bit installations keep their values, so that every host on a computer
// shares one server location, one set of servlet names and one machine
// identifier. (HKEY_CURRENT_USER\Software is one view anyway; 32-bit Windows
// ignores the flag.)
const REGSAM kView = KEY_WOW64_32KEY;

bool Denied(REGSAM sam) {
    return g_denyWrites.load(std::memory_order_relaxed) && (sam & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
}

} // namespace

LONG OpenMachineKey(const char* path, REGSAM sam, HKEY* key) {
    if (Denied(sam))
        return ERROR_ACCESS_DENIED;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, sam | kView, key);
}

LONG CreateMachineKey(const char* path, REGSAM sam, HKEY* key, DWORD* disposition) {
    if (Denied(sam))
        return ERROR_ACCESS_DENIED;
    // A standard user may open an existing key for reading, but never make one.
    if (Denied(KEY_CREATE_SUB_KEY)) {
        const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, sam | kView, key);
        if (result == ERROR_SUCCESS && disposition)
            *disposition = REG_OPENED_EXISTING_KEY;
        return result == ERROR_FILE_NOT_FOUND ? ERROR_ACCESS_DENIED : result;
    }
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, sam | kView, nullptr,
                           key, disposition);
}

void DenyMachineRegistryWrites(bool on) { g_denyWrites = on; }

void SetMachineRegistryFile(const char*) {}

void SetRegistryReport(RegistryReport) {}

void UseMachineWideRegistry() {}

} // namespace platform
