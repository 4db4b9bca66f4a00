// A value only the current user may read back: the remembered login.
//
// Windows: under HKEY_CURRENT_USER, as REG_BINARY protected with
// CryptProtectData for this user (no UI); a value that does not unprotect
// reads as none. A plain value an older installation left under
// HKEY_LOCAL_MACHINE is moved into the protected form only where the user
// may delete it there in the same step; otherwise it is neither read nor
// copied.
// POSIX: the bytes as given, as REG_SZ, in the registry (platform/Registry.h),
// whose per-user file no other user may read.
#ifndef TARN_PLATFORM_USERSECRET_H
#define TARN_PLATFORM_USERSECRET_H

#include <string>

namespace platform {

// Makes keyPath when it is missing, so that a later save finds it. True, with
// the stored bytes, only when the key was there already and held the value.
bool LoadUserSecret(const char* keyPath, const char* name, std::string& bytes);

// Stores bytes into an existing key only (never creates one). False when
// nothing was stored.
bool SaveUserSecret(const char* keyPath, const char* name, const std::string& bytes);

} // namespace platform

#endif
