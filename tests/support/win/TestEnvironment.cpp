#include "tests/support/TestEnvironment.h"

#include <windows.h>

namespace tarntest {

void ResetRegistry() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Orvane"); }

std::string RegistryPath() { return std::string(); }

void LoadLibraryModule() { LoadLibraryA("TarnClient.dll"); }

} // namespace tarntest
