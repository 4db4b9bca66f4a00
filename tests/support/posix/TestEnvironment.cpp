#include "tests/support/TestEnvironment.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace tarntest {

namespace {
std::string g_path;
int g_counter = 0;

std::string TempDir() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

void RemoveDatabase(const std::string& path) {
    // With the per-user folder a test acting as a standard user had.
    const std::string own = path + ".state/tarn/registry.db";
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::remove((path + suffix).c_str());
        std::remove((own + suffix).c_str());
    }
    for (const char* folder : {".state/tarn", ".state"})
        rmdir((path + folder).c_str());
}
} // namespace

void ResetRegistry() {
    if (!g_path.empty())
        RemoveDatabase(g_path);
    g_path = TempDir() + "/tarn-test-" + std::to_string(getpid()) + "-" + std::to_string(++g_counter) + ".db";
    RemoveDatabase(g_path);
    setenv("TARN_REGISTRY", g_path.c_str(), 1);
}

std::string RegistryPath() { return g_path; }

void LoadLibraryModule() {
    // The POSIX string table is compiled into the library itself.
    std::atexit([] {
        if (!g_path.empty())
            RemoveDatabase(g_path);
    });
}

} // namespace tarntest
