#include "tests/support/TestEnvironment.h"

#include "platform/Registry.h"

namespace tarntest {

// Wine grants every process administrator rights; the platform layer denies
// them instead. Each test runs in a process of its own, so this ends with it.
void ActAsStandardUser() { platform::DenyMachineRegistryWrites(true); }

} // namespace tarntest
