#include "tests/support/TestEnvironment.h"

#include <string>

#include <windows.h>

namespace tarntest {

namespace {

// Test processes run side by side in one Wine prefix, whose registry they all
// share. So each process redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER to
// keys of its own, under the real HKEY_CURRENT_USER\Software\TarnTests\<pid>,
// before any test runs. The library and the registry helpers of the tests use
// the predefined keys, so both see the same private registry, and no process
// sees what another one writes. Made on the first reset, that is before the
// first test starts, and removed again when the process ends.
const char kLibraryKey[] = "Software\\Orvane";
const char kProviders[] = "Software\\Microsoft\\Cryptography";

class PrivateRegistry {
public:
    PrivateRegistry() : m_name(std::to_string(GetCurrentProcessId())) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TarnTests", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &m_parent, nullptr) != ERROR_SUCCESS)
            Fail("cannot create HKEY_CURRENT_USER\\Software\\TarnTests");
        // A process killed on a time-out leaves its keys behind; a later one with its id starts empty.
        RegDeleteTreeA(m_parent, m_name.c_str());
        m_machine = Create(m_name + "\\Machine");
        m_user = Create(m_name + "\\User");
        // What the system's own calls read (the crypto providers behind CryptProtectData) comes along.
        HKEY providers = nullptr;
        if (RegCreateKeyExA(m_machine, kProviders, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &providers, nullptr) != ERROR_SUCCESS ||
            RegCopyTreeA(HKEY_LOCAL_MACHINE, kProviders, providers) != ERROR_SUCCESS)
            Fail("cannot copy the crypto providers");
        RegCloseKey(providers);
        if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine) != ERROR_SUCCESS ||
            RegOverridePredefKey(HKEY_CURRENT_USER, m_user) != ERROR_SUCCESS)
            Fail("cannot redirect the predefined registry keys");
    }

    ~PrivateRegistry() {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(m_machine);
        RegCloseKey(m_user);
        RegDeleteTreeA(m_parent, m_name.c_str());
        RegCloseKey(m_parent);
    }

    PrivateRegistry(const PrivateRegistry&) = delete;
    PrivateRegistry& operator=(const PrivateRegistry&) = delete;

    // The library's keys are gone from both private roots.
    void Empty() {
        RegDeleteTreeA(m_machine, kLibraryKey);
        RegDeleteTreeA(m_user, kLibraryKey);
    }

private:
    HKEY Create(const std::string& path) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(m_parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            Fail("cannot create the private registry key " + path);
        return key;
    }

    // No test may run against the shared registry.
    [[noreturn]] static void Fail(const std::string& what) {
        std::string line = "test environment: " + what + "\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        ExitProcess(3);
    }

    std::string m_name;
    HKEY m_parent = nullptr;
    HKEY m_machine = nullptr;
    HKEY m_user = nullptr;
};

PrivateRegistry& Registry() {
    static PrivateRegistry registry;
    return registry;
}

} // namespace

void ResetRegistry() { Registry().Empty(); }

std::string RegistryPath() { return std::string(); }

void LoadLibraryModule() { LoadLibraryA("TarnClient.dll"); }

} // namespace tarntest
