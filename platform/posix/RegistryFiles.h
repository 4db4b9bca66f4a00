// Where the POSIX registry lives: the one file this process writes, and the
// machine-wide file read for what it lacks. Private to platform/posix.
#ifndef TARN_PLATFORM_POSIX_REGISTRYFILES_H
#define TARN_PLATFORM_POSIX_REGISTRYFILES_H

#include <string>

namespace platform {

struct RegistryFiles {
    std::string own;     // read first; the only file ever written
    std::string machine; // read for keys and values own lacks; empty when there is none
    bool ownIsPerUser = false;    // the default per-user file: its new folders are 0700
    bool ownIsShared = false;     // the machine-wide file itself, made readable by all
};

// Worked out again for every key, so a changed environment applies to the
// next one. Touches nothing on disk.
RegistryFiles CurrentRegistryFiles();

// Makes own's missing folders and the empty file, with their modes whatever
// the umask. False when the file is not there afterwards.
bool PrepareOwnFile(const RegistryFiles& files);

bool FileExists(const std::string& path);

} // namespace platform

#endif
