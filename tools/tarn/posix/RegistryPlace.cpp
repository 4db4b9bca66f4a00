#include "../RegistryPlace.h"

#include <cstdlib>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

namespace {

const char kMachineFile[] = "/var/lib/tarn/registry.db";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string OwnFile() {
    const std::string named = Environment("TARN_REGISTRY");
    if (!named.empty())
        return named;
    const std::string state = Environment("XDG_STATE_HOME");
    if (!state.empty() && state[0] == '/')
        return state + "/tarn/registry.db";
    std::string home = Environment("HOME");
    if (home.empty()) {
        const passwd* entry = getpwuid(getuid());
        home = entry && entry->pw_dir ? entry->pw_dir : "~";
    }
    return home + "/.local/state/tarn/registry.db";
}

} // namespace

std::string RegistryPlace() {
    std::string place = "the registry file " + OwnFile();
    struct stat info;
    if (Environment("TARN_REGISTRY").empty() && stat(kMachineFile, &info) == 0)
        place += std::string(", then ") + kMachineFile;
    return place;
}

} // namespace tarn
