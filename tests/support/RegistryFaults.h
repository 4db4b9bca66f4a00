// Changes what the registry lets the library do, for the rest of the current
// test: act as a user who may not write the machine-wide store. (Registry
// failures themselves are covered by the torture runs, tests/torture.)
#ifndef TARN_TESTS_SUPPORT_REGISTRYFAULTS_H
#define TARN_TESTS_SUPPORT_REGISTRYFAULTS_H

namespace tarntest {

// For the rest of the current test the library meets the machine-wide store
// as a standard user does: Windows denies it writes under
// HKEY_LOCAL_MACHINE; on POSIX the test's registry becomes the machine-wide
// file under a fresh per-user one (TARN_REGISTRY unset). The helpers of
// RegistryValues.h keep reaching both stores. Unit tests only: it reaches
// into the platform layer.
void ActAsStandardUser();

} // namespace tarntest

#endif
