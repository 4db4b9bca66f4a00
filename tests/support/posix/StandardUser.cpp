#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <string>

#include "platform/Registry.h"

namespace tarntest {

void ActAsStandardUser() {
    // TestEnvironment removes the per-user folder with the test's registry.
    const std::string state = RegistryPath() + ".state";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    unsetenv("TARN_REGISTRY");
    platform::SetMachineRegistryFile(RegistryPath().c_str());
}

} // namespace tarntest
