// The POSIX registry's database file, as other programs on the machine see it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Registry.h"
#include "tests/support/Files.h"
#include "tests/support/TestEnvironment.h"

using namespace platform;

namespace {

const std::string kValue("127.0.0.1:80\0", 13);

void WriteConfig() {
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen("Software\\Orvane\\Tarn\\Config", RegReadWrite, nullptr));
    ASSERT_EQ(RegOk, key.SetValue("QAS Address", RegSz, reinterpret_cast<const unsigned char*>(kValue.data()), 13));
}

} // namespace

// Every file and folder under folder, with its mode; SQLite's own -wal and
// -shm files come and go.
std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().string();
        if (name.find("-wal") != std::string::npos || name.find("-shm") != std::string::npos)
            continue;
        char mode[8];
        std::snprintf(mode, sizeof mode, " %04o", static_cast<unsigned>(entry.status().permissions()));
        found.insert(name.substr(folder.size()) + mode);
    }
    return found;
}

// Where the file goes and with which modes. (That a lookup makes nothing is
// the machine-wide file's test.)
TEST(RegistryDatabase, OwnFileFollowsTheEnvironmentWithPrivateModesWhateverTheUmask) {
    const struct {
        const char* what;
        std::string tarnRegistry = "", xdgStateHome = "", home = ""; // relative to the scratch folder; empty: unset
        mode_t umask;
        std::set<std::string> made;
    } cases[] = {
        {.what = "XDG_STATE_HOME", .xdgStateHome = "/state", .home = "/home", .umask = 0,
         .made = {"/state 0700", "/state/tarn 0700", "/state/tarn/registry.db 0600"}},
        {.what = "home (a relative XDG_STATE_HOME is ignored), with a umask that would shut the owner out",
         .xdgStateHome = "state", .home = "/home", .umask = 0277,
         .made = {"/home 0700", "/home/.local 0700", "/home/.local/state 0700", "/home/.local/state/tarn 0700",
                  "/home/.local/state/tarn/registry.db 0600"}},
        {.what = "TARN_REGISTRY", .tarnRegistry = "/lib/tarn/reg.db", .xdgStateHome = "/state", .home = "/home",
         .umask = 0, .made = {"/lib 0755", "/lib/tarn 0755", "/lib/tarn/reg.db 0600"}},
    };
    for (const auto& c : cases) {
        const tarntest::ScratchFolder scratch;
        for (const auto& [name, value] : {std::pair<const char*, std::string>{"TARN_REGISTRY", c.tarnRegistry},
                                          {"XDG_STATE_HOME", c.xdgStateHome}, {"HOME", c.home}}) {
            if (value.empty())
                unsetenv(name);
            else
                setenv(name, (value[0] == '/' ? scratch.path() + value : value).c_str(), 1);
        }
        const mode_t before = umask(c.umask);
        WriteConfig();
        umask(before);
        EXPECT_EQ(c.made, Listing(scratch.path())) << c.what;
    }
}

// Processes that start together on a database nobody has made yet.
TEST(RegistryDatabase, SeveralProcessesWriteAtOnce) {
    std::vector<pid_t> children;
    for (int p = 0; p < 4; ++p) {
        children.push_back(fork());
        ASSERT_GE(children.back(), 0);
        if (children.back() != 0)
            continue;
        bool failed = false;
        for (int i = 0; i < 10; ++i) {
            RegKey key;
            const std::string name = std::to_string(p * 100 + i);
            failed |= key.CreateOrOpen(("Software\\Orvane\\Tarn\\Process " + std::to_string(p)).c_str(),
                                       RegReadWrite, nullptr) != RegOk;
            failed |= key.SetValue(name.c_str(), RegBinary, reinterpret_cast<const unsigned char*>(name.data()),
                                   static_cast<std::uint32_t>(name.size())) != RegOk;
        }
        _exit(failed ? 1 : 0);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // Every write landed.
    for (int p = 0; p < 4; ++p) {
        RegKey key;
        ASSERT_EQ(RegOk, key.Open(("Software\\Orvane\\Tarn\\Process " + std::to_string(p)).c_str(), RegRead));
        for (int i = 0; i < 10; ++i) {
            std::uint32_t size = 0;
            EXPECT_EQ(RegOk, key.QueryValue(std::to_string(p * 100 + i).c_str(), nullptr, nullptr, &size));
        }
    }
}
