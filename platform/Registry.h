// HKEY_LOCAL_MACHINE, as the library uses it.
//
// On Windows this is the real registry, in its 32-bit view for both widths
// of the library, so that 32-bit and 64-bit hosts on one computer share its
// values. A key opened for writing where Windows denies it (a standard user)
// is the same path under HKEY_CURRENT_USER instead, its values read from
// HKEY_LOCAL_MACHINE first where they are there; a key opened for reading
// only is never redirected.
//
// Elsewhere it is an SQLite database with the same behaviour for the calls
// below: the file TARN_REGISTRY names, else the user's own file
// ($XDG_STATE_HOME/tarn/registry.db, else ~/.local/state/tarn/registry.db;
// folder 0700, file 0600), with keys and values it lacks read from the
// machine-wide /var/lib/tarn/registry.db, which is never written. Reading
// never creates a file; the first write does. A file of the user's that
// another user could touch is refused (RegAccessDenied), and a machine-wide
// file that anyone but root could change is not read.
//
// Either way the code above it is the same on both targets.
#ifndef TARN_PLATFORM_REGISTRY_H
#define TARN_PLATFORM_REGISTRY_H

#include <cstdint>

namespace platform {

// Windows registry value types and result codes, the same numbers on every target.
enum RegType : std::uint32_t { RegSz = 1, RegBinary = 3, RegDword = 4 };
enum RegResult : std::int32_t {
    RegOk = 0, RegError = 1, RegNotFound = 2, RegAccessDenied = 5, RegInvalidHandle = 6,
    RegNoMemory = 14, RegInvalidParameter = 87, RegMoreData = 234
};

// What a result says about a value or key that was asked for: only
// RegNotFound means it is not there; any other failure says nothing about it,
// so a caller must never overwrite on such a result.
inline bool IsAbsent(std::int32_t result) { return result == RegNotFound; }

class RegKey;

// A registry change that lands whole or not at all. Keys created or opened
// through CreateOrOpen(..., change) share it: their key creations and value
// writes become visible together at Commit(); a change destroyed uncommitted
// undoes them. It also keeps other processes from changing the registry
// between its reads and its writes. Keys opened under a change must be closed
// before it ends.
//
// Where the target has no registry transactions the library can count on
// (Windows: the transacted registry is deprecated, and Wine ignores the
// transaction), every write lands at once and Commit() only reports success; the
// callers order their writes so that a change cut short there still leaves
// usable values.
class RegTransaction {
public:
    RegTransaction() = default;
    ~RegTransaction();
    RegTransaction(const RegTransaction&) = delete;
    RegTransaction& operator=(const RegTransaction&) = delete;

    std::int32_t Commit();

private:
    friend class RegKey;
    void* m_handle = nullptr;
};
enum RegAccess : std::uint32_t { RegRead = 1, RegWrite = 2, RegReadWrite = 3 };

// An open key under HKEY_LOCAL_MACHINE. Closes itself.
class RegKey {
public:
    RegKey() = default;
    ~RegKey();
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept;
    RegKey& operator=(RegKey&& other) noexcept;

    // RegOpenKeyExA: path is relative to HKEY_LOCAL_MACHINE, backslash-separated.
    std::int32_t Open(const char* path, RegAccess access);
    // RegCreateKeyExA (non-volatile): creates missing ancestors; *created tells
    // a new key from an existing one (may be null).
    std::int32_t CreateOrOpen(const char* path, RegAccess access, bool* created);
    // The same, as part of change (begun by its first key).
    std::int32_t CreateOrOpen(const char* path, RegAccess access, bool* created, RegTransaction& change);
    // RegQueryValueExA: with data null only *size is set (the stored size);
    // with data, *size is the room in data on entry and the stored size on
    // return, RegMoreData when the room is too small. type may be null.
    std::int32_t QueryValue(const char* name, std::uint32_t* type, unsigned char* data, std::uint32_t* size);
    // RegSetValueExA: stores size bytes exactly as given.
    std::int32_t SetValue(const char* name, std::uint32_t type, const unsigned char* data, std::uint32_t size);
    // RegCloseKey; also done by the destructor.
    void Close();

    bool IsOpen() const { return m_handle != nullptr; }

private:
    void* m_handle = nullptr;
};

// Where the registry says why it leaves a file alone: a file of its own that
// another user could touch (failed: the call fails), or a machine-wide file
// it does not read. One line each; null: nowhere. The library points it at
// its trace (this floor cannot trace). Windows refuses nothing: no effect.
using RegistryReport = void (*)(const char* line, bool failed);
void SetRegistryReport(RegistryReport report);

// Installers only (tarn-devserver --register-machine): from now on this
// process keeps its keys in the machine-wide store every user reads. POSIX:
// /var/lib/tarn/registry.db, created readable by all. Windows: no change,
// HKEY_LOCAL_MACHINE is written wherever Windows allows it.
void UseMachineWideRegistry();

// Tests only, not reachable from the library's exports: the machine-wide
// store as a standard user meets it.
// Windows: while on, opening a key under HKEY_LOCAL_MACHINE for writing
// fails with RegAccessDenied. POSIX never writes that store: no effect.
void DenyMachineRegistryWrites(bool on);
// POSIX: the machine-wide file is path instead of /var/lib/tarn/registry.db
// (null or empty: back to it). Windows: no effect.
void SetMachineRegistryFile(const char* path);

} // namespace platform

#endif
