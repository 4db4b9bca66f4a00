// What every test process gets before its tests run.
#ifndef TARN_TESTS_SUPPORT_TESTENVIRONMENT_H
#define TARN_TESTS_SUPPORT_TESTENVIRONMENT_H

#include <string>

namespace tarntest {

// Gives the test an empty registry of its own process: on POSIX a fresh
// database file named by TARN_REGISTRY, on Windows empty private keys that
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER stand for in this process. Called
// before every test; tests may call it again.
void ResetRegistry();

// The POSIX registry file of the current test (empty on Windows).
std::string RegistryPath();

// Makes the library module's string table reachable from a unit test (on
// Windows the resource lives in TarnClient.dll).
void LoadLibraryModule();

// For the rest of the current test the library meets the machine-wide store
// as a standard user does: Windows denies it writes under
// HKEY_LOCAL_MACHINE; on POSIX the test's registry becomes the machine-wide
// file under a fresh per-user one (TARN_REGISTRY unset). The helpers of
// RegistryValues.h keep reaching both stores. Unit tests only: it reaches
// into the platform layer.
void ActAsStandardUser();

} // namespace tarntest

#endif
