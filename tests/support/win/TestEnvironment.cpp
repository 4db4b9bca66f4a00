#include "tests/support/TestEnvironment.h"

#include <initializer_list>

#include <windows.h>

namespace tarntest {

void ResetRegistry() {
    // The user's copy too: the library keeps there what it may not keep for the machine.
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        RegDeleteTreeA(root, "Software\\Orvane");
}

std::string RegistryPath() { return std::string(); }

void LoadLibraryModule() { LoadLibraryA("TarnClient.dll"); }

} // namespace tarntest
