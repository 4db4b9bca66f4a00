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
#include "platform/posix/OwnFiles.h"

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
// What comes off the mode of a registry file or folder this user owns.
const mode_t kNotPrivate = 077;
const mode_t kWritableByOthers = 022;
// The files SQLite keeps beside a database, with its contents.
const char* const kCompanions[] = {"-wal", "-shm", "-journal"};

std::atomic<bool> g_machineWide{false};
std::atomic<RegistryReport> g_report{nullptr};
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

// The folder that holds path ("." for a bare name) and the name in it.
void Split(const std::string& path, std::string& folder, std::string& name) {
    const std::string::size_type slash = path.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? folder + name : folder + "/" + name;
}

void Report(const std::string& line, bool failed) {
    if (const RegistryReport report = g_report.load())
        report(line.c_str(), failed);
}

std::int32_t Refuse(const std::string& path, const std::string& why) {
    Report("registry: " + path + " is not used: " + why, true);
    return RegAccessDenied;
}

// Root's, or under a test's stand-in file, the test's own.
Owners MachineOwners() {
    std::lock_guard<std::mutex> guard(g_machineFileMutex);
    return Owners{g_machineFileOverride.empty() ? 0 : geteuid()};
}

// The real path of the machine-wide file when it may be read: it and its
// folders belong to root and nobody else may write them. Empty otherwise.
std::string ReadableMachineFile(const std::string& path) {
    const Owners owners = MachineOwners();
    std::string folder, name, resolved, why;
    Split(path, folder, name);
    if (CheckFolders(folder, 0, owners, resolved, why)) {
        resolved = Join(resolved, name);
        const int fd = OpenOwnFile(resolved, O_RDONLY, 0, 0, owners, why);
        struct stat info {};
        if (fd >= 0 && fstat(fd, &info) == 0 && (info.st_mode & kWritableByOthers))
            why = "it is writable by group or others";
        if (fd >= 0)
            close(fd);
        if (fd >= 0 && why.empty())
            return resolved;
    }
    if (!why.empty())
        Report("registry: " + path + " is not read: " + why, false);
    return std::string();
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
    files.machine = ReadableMachineFile(MachineFile());
    return files;
}

std::int32_t UseOwnFile(RegistryFiles& files, bool create) {
    if (files.own.empty())
        return create ? RegError : RegNotFound;
    if (create)
        MakeFolders(files.own, files.ownIsPerUser ? kPrivateFolderMode : kSharedFolderMode);
    const Owners owners{geteuid()};
    std::string folder, name, resolved, why;
    Split(files.own, folder, name);
    // The per-user folder is the library's own: private, and never a link to elsewhere.
    struct stat info {};
    if (files.ownIsPerUser && lstat(folder.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
        return Refuse(files.own, "its folder " + folder + " is a symbolic link");
    if (!CheckFolders(folder, files.ownIsPerUser ? kNotPrivate : 0, owners, resolved, why))
        return !why.empty() ? Refuse(files.own, why) : create ? RegError : RegNotFound;
    const std::string path = Join(resolved, name);
    const mode_t tighten = files.ownIsShared ? kWritableByOthers : kNotPrivate;
    const int fd = OpenOwnFile(path, create ? O_RDONLY | O_CREAT : O_RDONLY,
                               files.ownIsShared ? kSharedFileMode : kPrivateFileMode, tighten, owners, why);
    if (fd < 0)
        return !why.empty() ? Refuse(files.own, why) : create ? RegError : RegNotFound;
    close(fd);
    for (const char* companion : kCompanions) {
        const int beside = OpenOwnFile(path + companion, O_RDONLY, 0, tighten, owners, why);
        if (beside >= 0)
            close(beside);
        else if (!why.empty())
            return Refuse(path + companion, why);
    }
    files.own = path;
    return RegOk;
}

void SetRegistryReport(RegistryReport report) { g_report = report; }

void UseMachineWideRegistry() { g_machineWide = true; }

void DenyMachineRegistryWrites(bool) {}

void SetMachineRegistryFile(const char* path) {
    std::lock_guard<std::mutex> guard(g_machineFileMutex);
    g_machineFileOverride = path ? path : "";
}

} // namespace platform
