#include "platform/posix/RegistryFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Registry.h"

namespace platform {

namespace {

const char kMachineFile[] = "/var/lib/tarn/registry.db";
const char kStateFolder[] = "/.local/state"; // under the home folder when XDG_STATE_HOME is unset
const char kOwnFile[] = "/tarn/registry.db";  // under the state folder

// The password of the last login is kept here as typed: no other user reads it.
const mode_t kPrivateFolderMode = 0700;
const mode_t kPrivateFileMode = 0600;
// The machine-wide file holds only what every user may see.
const mode_t kSharedFolderMode = 0755;
const mode_t kSharedFileMode = 0644;

std::atomic<bool> g_machineWide{false};
std::mutex g_machineFileMutex;
std::string g_machineFileOverride;

std::string MachineFile() {
    std::lock_guard<std::mutex> guard(g_machineFileMutex);
    return g_machineFileOverride.empty() ? kMachineFile : g_machineFileOverride;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (!home.empty())
        return home;
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "";
}

// A relative XDG_STATE_HOME is to be ignored, as the XDG base directory rules say.
std::string StateFolder() {
    const std::string state = Environment("XDG_STATE_HOME");
    if (!state.empty() && state[0] == '/')
        return state;
    const std::string home = HomeFolder();
    return home.empty() ? "" : home + kStateFolder;
}

// Each missing folder on the way to file, with mode; an existing one is left as it is.
void MakeFolders(const std::string& file, mode_t mode) {
    for (std::string::size_type slash = file.find('/', 1); slash != std::string::npos;
         slash = file.find('/', slash + 1)) {
        const std::string folder = file.substr(0, slash);
        if (mkdir(folder.c_str(), mode) == 0)
            chmod(folder.c_str(), mode); // the umask narrows what mkdir grants
    }
}

} // namespace

RegistryFiles CurrentRegistryFiles() {
    RegistryFiles files;
    if (g_machineWide.load()) {
        files.own = MachineFile();
        files.ownIsShared = true;
        return files;
    }
    const std::string named = Environment("TARN_REGISTRY");
    if (!named.empty()) {
        files.own = named;
        return files;
    }
    const std::string state = StateFolder();
    if (!state.empty()) {
        files.own = state + kOwnFile;
        files.ownIsPerUser = true;
    }
    files.machine = MachineFile();
    if (!FileExists(files.machine))
        files.machine.clear();
    return files;
}

bool PrepareOwnFile(const RegistryFiles& files) {
    if (files.own.empty())
        return false;
    if (FileExists(files.own))
        return true;
    MakeFolders(files.own, files.ownIsPerUser ? kPrivateFolderMode : kSharedFolderMode);
    const mode_t mode = files.ownIsShared ? kSharedFileMode : kPrivateFileMode;
    const int fd = open(files.own.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
        fchmod(fd, mode); // whatever the umask
        close(fd);
        return true;
    }
    return errno == EEXIST; // another process made it first
}

bool FileExists(const std::string& path) {
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0;
}

void UseMachineWideRegistry() { g_machineWide = true; }

void DenyMachineRegistryWrites(bool) {}

void SetMachineRegistryFile(const char* path) {
    std::lock_guard<std::mutex> guard(g_machineFileMutex);
    g_machineFileOverride = path ? path : "";
}

} // namespace platform
