// Reads and writes registry values behind the library's back, the way an
// administrator or another program would. Paths are relative to
// HKEY_LOCAL_MACHINE, backslash-separated.
#ifndef TARN_TESTS_SUPPORT_REGISTRYVALUES_H
#define TARN_TESTS_SUPPORT_REGISTRYVALUES_H

#include <cstdint>
#include <string>

namespace tarntest {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;

// Creates the key (and its ancestors) and stores bytes exactly as given.
void SetRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                      const std::string& bytes);

// A REG_SZ value with its terminating zero byte, as the library writes one.
inline void SetRegistryText(const std::string& keyPath, const std::string& name, const std::string& text) {
    SetRegistryValue(keyPath, name, kRegSz, text + std::string(1, '\0'));
}

// Creates the key (and its ancestors) with no values.
void CreateRegistryKey(const std::string& keyPath);

// False when the key or the value does not exist.
bool GetRegistryValue(const std::string& keyPath, const std::string& name, std::string& bytes,
                      std::uint32_t* type = nullptr);

} // namespace tarntest

#endif
