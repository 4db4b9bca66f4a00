// Where the POSIX registry lives: the one file this process writes, and the
// machine-wide file read for what it lacks. Private to platform/posix.
#ifndef TARN_PLATFORM_POSIX_REGISTRYFILES_H
#define TARN_PLATFORM_POSIX_REGISTRYFILES_H

#include <cstdint>
#include <string>

namespace platform {

struct RegistryFiles {
    std::string own;     // read first; the only file ever written
    std::string machine; // read for keys and values own lacks; empty when there is none
    bool ownIsPerUser = false;    // the default per-user file: its new folders are 0700
    bool ownIsShared = false;     // the machine-wide file itself, made readable by all
};

// Worked out again for every key, so a changed environment applies to the
// next one. Creates nothing; a machine-wide file that root does not own
// alone is left out, with a trace line.
RegistryFiles CurrentRegistryFiles();

// Makes sure own may be used (its folders, the file and the files SQLite
// keeps beside it belong to this user and nobody else may change them; the
// modes of its own folder and file are tightened) and names it by its real
// path. With create, the missing folders and the empty file are made first,
// with their modes whatever the umask. RegOk; RegNotFound when there is no
// file yet and none was to be made; RegAccessDenied, with a trace line, when
// it is refused; RegError when it cannot be made.
std::int32_t UseOwnFile(RegistryFiles& files, bool create);

} // namespace platform

#endif
