// Reads and writes registry values behind the library's back, the way an
// administrator or another program would. Paths are relative to
// HKEY_LOCAL_MACHINE (the machine-wide store), backslash-separated.
#ifndef TARN_TESTS_SUPPORT_REGISTRYVALUES_H
#define TARN_TESTS_SUPPORT_REGISTRYVALUES_H

#include <cstdint>
#include <string>

namespace tarntest {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;

// Where the library keeps its settings, and the remembered login.
constexpr char kConfigKey[] = "Software\\Orvane\\Tarn\\Config";
constexpr char kServletKey[] = "Software\\Orvane\\Tarn\\Config\\CMS Servlet Names";
constexpr char kUserLogKey[] = "Software\\Orvane\\Tarn\\User Log";
constexpr char kMostRecentlyUsed[] = "Most Recently Used";

// Creates the key and stores bytes exactly as given.
void SetRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                      const std::string& bytes);

// A REG_SZ value with its terminating zero byte, as the library writes one.
inline void SetRegistryText(const std::string& keyPath, const std::string& name, const std::string& text) {
    SetRegistryValue(keyPath, name, kRegSz, text + std::string(1, '\0'));
}

// False when the key or the value does not exist.
bool GetRegistryValue(const std::string& keyPath, const std::string& name, std::string& bytes,
                      std::uint32_t* type = nullptr);

// The same path in the store of the user the test runs as: HKEY_CURRENT_USER
// on Windows; on POSIX the file the library writes.
bool GetUserRegistryValue(const std::string& keyPath, const std::string& name, std::string& bytes,
                          std::uint32_t* type = nullptr);
void SetUserRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                          const std::string& bytes);

// The remembered login's text, in the form the library keeps it for this
// user (protected on Windows), without the one terminator it is stored with;
// GetStoredLogin is false for anything else.
extern const bool kStoredLoginIsProtected;
void SetStoredLogin(const std::string& text);
bool GetStoredLogin(std::string& text);

} // namespace tarntest

#endif
