#include "tests/support/RegistryFaults.h"

#include <cstdlib>

namespace tarntest {

bool MakeRegistryUnusable() {
    // A file cannot hold a directory, so the database can be neither made nor opened.
    return setenv("TARN_REGISTRY", "/dev/null/tarn-registry.db", 1) == 0;
}

} // namespace tarntest
