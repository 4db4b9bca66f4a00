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

TEST(RegistryDatabase, HoldsTheAgreedTablesWithFullPathsAndExactBytes) {
    WriteConfig();
    EXPECT_EQ((std::set<std::string>{"wal"}), Rows("PRAGMA journal_mode"));
    EXPECT_EQ((std::set<std::string>{"path|TEXT|1"}), Rows("SELECT name, type, pk FROM pragma_table_info('reg_keys')"));
    EXPECT_EQ((std::set<std::string>{"key|TEXT|1|1", "name|TEXT|1|2", "type|INTEGER|1|0", "data|BLOB|1|0"}),
              Rows("SELECT name, type, \"notnull\", pk FROM pragma_table_info('reg_values')"));
    EXPECT_EQ((std::set<std::string>{"HKEY_LOCAL_MACHINE\\Software", "HKEY_LOCAL_MACHINE\\Software\\Orvane",
                                     "HKEY_LOCAL_MACHINE\\Software\\Orvane\\Tarn",
                                     "HKEY_LOCAL_MACHINE\\Software\\Orvane\\Tarn\\Config"}),
              Rows("SELECT path FROM reg_keys"));
}

// A scratch folder beside the test's registry, removed with everything in it.
class Scratch {
public:
    Scratch() : m_path(tarntest::RegistryPath() + ".d") { std::filesystem::create_directory(m_path); }
    ~Scratch() { std::filesystem::remove_all(m_path); }
    const std::string& path() const { return m_path; }
    // Every file and folder under the scratch folder, with its mode; SQLite's
    // own -wal and -shm files come and go.
    std::set<std::string> Listing() const {
        std::set<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_path)) {
            const std::string name = entry.path().string();
            if (name.size() > 4 && (name.substr(name.size() - 4) == "-wal" || name.substr(name.size() - 4) == "-shm"))
                continue;
            char mode[8];
            std::snprintf(mode, sizeof mode, " %04o", static_cast<unsigned>(entry.status().permissions()));
            found.insert(name.substr(m_path.size()) + mode);
        }
        return found;
    }

private:
    std::string m_path;
};

// Where the file goes and with which modes. (That a lookup makes nothing is
// the machine-wide file's test.)
TEST(RegistryDatabase, OwnFileFollowsTheEnvironmentWithPrivateModesWhateverTheUmask) {
    const struct {
        const char* what;
        std::string tarnRegistry, xdgStateHome, home; // relative to the scratch folder; empty: unset
        mode_t umask;
        std::set<std::string> made;
    } cases[] = {
        {"XDG_STATE_HOME", "", "/state", "/home", 0,
         {"/state 0700", "/state/tarn 0700", "/state/tarn/registry.db 0600"}},
        {"home (a relative XDG_STATE_HOME is ignored), with a umask that would shut the owner out", "", "state",
         "/home", 0277,
         {"/home 0700", "/home/.local 0700", "/home/.local/state 0700", "/home/.local/state/tarn 0700",
          "/home/.local/state/tarn/registry.db 0600"}},
        {"TARN_REGISTRY", "/lib/tarn/reg.db", "/state", "/home", 0,
         {"/lib 0755", "/lib/tarn 0755", "/lib/tarn/reg.db 0600"}},
    };
    for (const auto& c : cases) {
        Scratch scratch;
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
        EXPECT_EQ(c.made, scratch.Listing()) << c.what;
    }
}

// An installer's machine-wide file under the user's own: read for what the
// user's lacks, nothing made beside it. (That it is never written is the
// standard user's test.)
TEST(RegistryDatabase, MachineWideFileFillsInWhatTheOwnFileLacks) {
    Scratch scratch;
    const std::string machine = scratch.path() + "/machine/registry.db";
    setenv("TARN_REGISTRY", machine.c_str(), 1);
    WriteConfig();
    unsetenv("TARN_REGISTRY");
    setenv("XDG_STATE_HOME", (scratch.path() + "/state").c_str(), 1);
    SetMachineRegistryFile(machine.c_str());
    const std::set<std::string> installed = scratch.Listing();

    const auto read = [](RegKey& key, const char* name) {
        unsigned char data[64] = {};
        std::uint32_t size = sizeof data;
        return key.QueryValue(name, nullptr, data, &size) == RegOk ? std::string(data, data + size) : "<none>";
    };
    bool created = true;
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen("Software\\Orvane\\Tarn\\Config", RegReadWrite, &created));
    EXPECT_FALSE(created);
    EXPECT_EQ(kValue, read(key, "QAS Address"));
    EXPECT_EQ(RegNotFound, RegKey().Open("Software\\Orvane\\Other", RegRead));
    EXPECT_EQ(installed, scratch.Listing()); // reading made nothing

    // Writes go to the user's own file; its values come first from then on.
    const std::string own("10.0.0.1:1\0", 11);
    ASSERT_EQ(RegOk, key.SetValue("QAS Address", RegSz, reinterpret_cast<const unsigned char*>(own.data()), 11));
    EXPECT_EQ(own, read(key, "QAS Address"));
    key.Close();
    SetMachineRegistryFile(nullptr);
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
