// The POSIX registry's database file, as other programs on the machine see it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Registry.h"
#include "tests/support/Files.h"
#include "tests/support/TestEnvironment.h"

using namespace platform;

namespace {

// Every row of a query on the registry database, its columns joined by '|'.
std::set<std::string> Rows(const char* sql) {
    sqlite3* db = nullptr;
    EXPECT_EQ(SQLITE_OK, sqlite3_open_v2(tarntest::RegistryPath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr));
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, sql, -1, &statement, nullptr)) << sqlite3_errmsg(db);
    std::set<std::string> rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, i));
            row.append(i ? "|" : "").append(text ? text : "", sqlite3_column_bytes(statement, i));
        }
        rows.insert(row);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

const std::string kValue("127.0.0.1:80\0", 13);

void WriteConfig() {
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen("Software\\Orvane\\Tarn\\Config", RegReadWrite, nullptr));
    ASSERT_EQ(RegOk, key.SetValue("QAS Address", RegSz, reinterpret_cast<const unsigned char*>(kValue.data()), 13));
}

} // namespace

// In WAL mode, so processes read and write at once; every key with its
// ancestors, by full path. (The tables' names and columns are those the test
// registry helper reads and writes with SQL of its own.)
TEST(RegistryDatabase, HoldsWalAndFullKeyPaths) {
    WriteConfig();
    EXPECT_EQ((std::set<std::string>{"wal"}), Rows("PRAGMA journal_mode"));
    EXPECT_EQ((std::set<std::string>{"HKEY_LOCAL_MACHINE\\Software", "HKEY_LOCAL_MACHINE\\Software\\Orvane",
                                     "HKEY_LOCAL_MACHINE\\Software\\Orvane\\Tarn",
                                     "HKEY_LOCAL_MACHINE\\Software\\Orvane\\Tarn\\Config"}),
              Rows("SELECT path FROM reg_keys"));
}

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
    EXPECT_EQ(40u, Rows("SELECT key, name, data FROM reg_values").size());
}
