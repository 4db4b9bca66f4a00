#include "platform/win/MachineKeys.h"

#include <atomic>

#include "platform/Registry.h"

namespace platform {

namespace {

std::atomic<bool> g_denyWrites{false};

bool Denied(REGSAM sam) {
    return g_denyWrites.load(std::memory_order_relaxed) && (sam & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
}

} // namespace

LONG OpenMachineKey(const char* path, REGSAM sam, HKEY* key) {
    if (Denied(sam))
        return ERROR_ACCESS_DENIED;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, sam, key);
}

LONG CreateMachineKey(const char* path, REGSAM sam, HKEY* key, DWORD* disposition) {
    if (Denied(sam))
        return ERROR_ACCESS_DENIED;
    // A standard user may open an existing key for reading, but never make one.
    if (Denied(KEY_CREATE_SUB_KEY)) {
        const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, sam, key);
        if (result == ERROR_SUCCESS && disposition)
            *disposition = REG_OPENED_EXISTING_KEY;
        return result == ERROR_FILE_NOT_FOUND ? ERROR_ACCESS_DENIED : result;
    }
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr, key,
                           disposition);
}

void DenyMachineRegistryWrites(bool on) { g_denyWrites = on; }

void SetMachineRegistryFile(const char*) {}

void SetRegistryReport(RegistryReport) {}

void UseMachineWideRegistry() {}

} // namespace platform
