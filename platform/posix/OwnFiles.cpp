#include "platform/posix/OwnFiles.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// O_NONBLOCK: a FIFO planted in the file's place cannot hold the open.
constexpr int kOpenFlags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;

// The folders that guard a path's names, from / down to path itself.
std::vector<std::string> Chain(const std::string& path) {
    std::vector<std::string> chain{"/"};
    for (std::string::size_type slash = path.find('/', 1); path.size() > 1; slash = path.find('/', slash + 1)) {
        chain.push_back(path.substr(0, slash));
        if (slash == std::string::npos)
            break;
    }
    return chain;
}

// Takes the bits of tighten off the mode of what fd is.
bool Tighten(int fd, mode_t current, mode_t tighten) {
    return (current & tighten) == 0 || fchmod(fd, current & 07777 & ~tighten) == 0;
}

} // namespace

int OpenOwnFile(const std::string& path, int flags, mode_t mode, mode_t tighten, const Owners& owners,
                std::string& why) {
    why.clear();
    bool made = false;
    int fd = -1;
    if (flags & O_CREAT) {
        fd = ::open(path.c_str(), flags | O_EXCL | kOpenFlags, mode);
        made = fd >= 0;
    }
    if (fd < 0 && (!(flags & O_CREAT) || errno == EEXIST))
        fd = ::open(path.c_str(), (flags & ~O_CREAT) | kOpenFlags);
    if (fd < 0) {
        if (errno == ELOOP)
            why = "it is a symbolic link";
        else if (errno != ENOENT)
            why = std::string("it cannot be opened: ") + std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0)
        why = "it cannot be examined";
    else if (!S_ISREG(info.st_mode))
        why = "it is not a regular file";
    else if (info.st_uid != owners.user)
        why = "it belongs to user " + std::to_string(info.st_uid);
    else if (info.st_nlink != 1)
        why = "it has other names (hard links)";
    else if (made ? fchmod(fd, mode) != 0 : !Tighten(fd, info.st_mode, tighten))
        why = "its mode cannot be set";
    if (!why.empty()) {
        ::close(fd);
        errno = EACCES;
        return -1;
    }
    // Opened without blocking only for the check: reads and writes wait as usual.
    const int status = fcntl(fd, F_GETFL);
    if (status != -1)
        fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

bool CheckFolders(const std::string& folder, mode_t tightenLast, const Owners& owners, std::string& resolved,
                  std::string& why) {
    why.clear();
    char real[PATH_MAX];
    if (!realpath(folder.c_str(), real)) {
        if (errno != ENOENT)
            why = "its folder " + folder + " cannot be resolved: " + std::strerror(errno);
        return false;
    }
    resolved = real;
    for (const std::string& at : Chain(resolved)) {
        struct stat info {};
        // realpath left no link: one now is a change made while this looks.
        if (lstat(at.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            why = "the folder " + at + " changed while it was checked";
            return false;
        }
        if (!owners.Trusted(info.st_uid)) {
            why = "the folder " + at + " belongs to user " + std::to_string(info.st_uid);
            return false;
        }
        if (at == resolved && info.st_uid == owners.user && (info.st_mode & tightenLast)) {
            const int fd = ::open(at.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            const bool tightened = fd >= 0 && Tighten(fd, info.st_mode, tightenLast);
            if (fd >= 0)
                ::close(fd);
            if (!tightened) {
                why = "the mode of the folder " + at + " cannot be set";
                return false;
            }
            info.st_mode &= ~tightenLast;
        }
        if ((info.st_mode & (S_IWGRP | S_IWOTH)) && !(info.st_mode & S_ISVTX)) {
            why = "the folder " + at + " is writable by group or others";
            return false;
        }
    }
    return true;
}

} // namespace platform
