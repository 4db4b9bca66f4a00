#include "tests/support/RegistryFaults.h"

namespace tarntest {

bool MakeRegistryUnusable() { return false; }

} // namespace tarntest
