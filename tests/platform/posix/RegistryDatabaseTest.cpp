// The POSIX registry's database file, as other programs on the machine see it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Registry.h"
#include "tests/support/TestEnvironment.h"

using namespace platform;

namespace {

class Database {
public:
    explicit Database(const std::string& path) {
        EXPECT_EQ(SQLITE_OK, sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr)) << path;
    }
    ~Database() { sqlite3_close(m_db); }

    // Every row of a query, its columns joined by '|'.
    std::set<std::string> Rows(const char* sql) {
        std::set<std::string> rows;
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr)) << sqlite3_errmsg(m_db);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                if (i)
                    row += '|';
                const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, i));
                row.append(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, i)));
            }
            rows.insert(row);
        }
        sqlite3_finalize(statement);
        return rows;
    }

private:
    sqlite3* m_db = nullptr;
};

const std::uint32_t kValueSize = 13;
const unsigned char kValue[kValueSize + 1] = "127.0.0.1:80";

void WriteConfig() {
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen("Software\\Orvane\\Tarn\\Config", RegReadWrite, nullptr));
    ASSERT_EQ(RegOk, key.SetValue("QAS Address", RegSz, kValue, kValueSize));
}

} // namespace

TEST(RegistryDatabase, HoldsTheAgreedTables) {
    WriteConfig();
    Database db(tarntest::RegistryPath());
    EXPECT_EQ((std::set<std::string>{"wal"}), db.Rows("PRAGMA journal_mode"));
    EXPECT_EQ((std::set<std::string>{"path|TEXT|1"}), db.Rows("SELECT name, type, pk FROM pragma_table_info('reg_keys')"));
    EXPECT_EQ((std::set<std::string>{"key|TEXT|1|1", "name|TEXT|1|2", "type|INTEGER|1|0", "data|BLOB|1|0"}),
              db.Rows("SELECT name, type, \"notnull\", pk FROM pragma_table_info('reg_values')"));
    // Both tables compare names without regard to case.
    EXPECT_EQ(1u, db.Rows("SELECT path FROM reg_keys WHERE path = 'hkey_local_machine\\software\\ORVANE'").size());
    EXPECT_EQ(1u, db.Rows("SELECT data FROM reg_values WHERE key = 'HKEY_LOCAL_MACHINE\\SOFTWARE\\ORVANE\\TARN\\CONFIG'"
                          " AND name = 'qas address'").size());
}

TEST(RegistryDatabase, StoresFullPathsAndExactBytes) {
    WriteConfig();
    Database db(tarntest::RegistryPath());
    EXPECT_EQ((std::set<std::string>{"HKEY_LOCAL_MACHINE\\Software", "HKEY_LOCAL_MACHINE\\Software\\Orvane",
                                     "HKEY_LOCAL_MACHINE\\Software\\Orvane\\Tarn",
                                     "HKEY_LOCAL_MACHINE\\Software\\Orvane\\Tarn\\Config"}),
              db.Rows("SELECT path FROM reg_keys"));
    const std::string data(reinterpret_cast<const char*>(kValue), kValueSize);
    EXPECT_EQ((std::set<std::string>{"HKEY_LOCAL_MACHINE\\Software\\Orvane\\Tarn\\Config|QAS Address|1|" + data}),
              db.Rows("SELECT key, name, type, data FROM reg_values"));
}

TEST(RegistryDatabase, IsCreatedWithItsFolder) {
    const std::string folder = tarntest::RegistryPath() + ".d";
    const std::string path = folder + "/lib/tarn/registry.db";
    setenv("TARN_REGISTRY", path.c_str(), 1);
    WriteConfig();
    struct stat info;
    EXPECT_EQ(0, stat(path.c_str(), &info));
    for (const char* suffix : {"", "-wal", "-shm"})
        unlink((path + suffix).c_str());
    rmdir((folder + "/lib/tarn").c_str());
    rmdir((folder + "/lib").c_str());
    rmdir(folder.c_str());
}

// Processes that start together on a database nobody has made yet.
TEST(RegistryDatabase, SeveralProcessesWriteAtOnce) {
    const int kProcesses = 4, kValues = 10;
    pid_t children[kProcesses];
    for (int p = 0; p < kProcesses; ++p) {
        children[p] = fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            int failures = 0;
            for (int i = 0; i < kValues; ++i) {
                RegKey key;
                const std::string path = "Software\\Orvane\\Tarn\\Process " + std::to_string(p);
                const std::string name = "Value " + std::to_string(i);
                failures += key.CreateOrOpen(path.c_str(), RegReadWrite, nullptr) != RegOk;
                failures += key.SetValue(name.c_str(), RegBinary, reinterpret_cast<const unsigned char*>(name.data()),
                                         static_cast<std::uint32_t>(name.size())) != RegOk;
            }
            _exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Database db(tarntest::RegistryPath());
    EXPECT_EQ(std::size_t(kProcesses) * kValues, db.Rows("SELECT key, name, data FROM reg_values").size());
}
