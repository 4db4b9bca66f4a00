// Makes the registry fail for the rest of the current test, where the target
// allows it: on POSIX the registry file is moved where it cannot be created;
// the real Windows registry cannot be taken away from a test.
#ifndef TARN_TESTS_SUPPORT_REGISTRYFAULTS_H
#define TARN_TESTS_SUPPORT_REGISTRYFAULTS_H

namespace tarntest {

// False when the target has no way to do it (the caller skips its test).
// The next test starts with a usable registry again.
bool MakeRegistryUnusable();

} // namespace tarntest

#endif
