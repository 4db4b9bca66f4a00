// Files that no other local user can touch: the registry's and the trace's.
// Whoever may write such a file, or swap it or a folder on its way, could
// read the remembered login or point the library at a server of their own.
// Private to platform/posix.
#ifndef TARN_PLATFORM_POSIX_OWNFILES_H
#define TARN_PLATFORM_POSIX_OWNFILES_H

#include <string>

#include <sys/types.h>

namespace platform {

// Who may own what the library reads: this user (or, for the machine-wide
// file, root), and root, who can change anything anyway.
struct Owners {
    uid_t user;
    bool Trusted(uid_t owner) const { return owner == user || owner == 0; }
};

// Opens path, never through a symbolic link, with flags (O_CREAT: a new file
// gets mode whatever the umask), and keeps it only when it is a regular file
// with no other name that owners.user owns; the bits of tighten are then
// taken off its mode. -1 with errno ENOENT when there is no such file (and
// none was to be made); otherwise -1 with why set when it is refused, as in
// "it belongs to user 1001".
int OpenOwnFile(const std::string& path, int flags, mode_t mode, mode_t tighten, const Owners& owners,
                std::string& why);

// Checks every folder from / down to folder, whose real path (no symbolic
// link left) becomes resolved: each must belong to a trusted owner, and none
// may be writable by group or others unless its sticky bit keeps them from
// replacing what is not theirs. The bits of tightenLast come off folder
// itself when this user owns it. False with why set when one is refused,
// with errno ENOENT when folder does not exist.
bool CheckFolders(const std::string& folder, mode_t tightenLast, const Owners& owners, std::string& resolved,
                  std::string& why);

} // namespace platform

#endif
