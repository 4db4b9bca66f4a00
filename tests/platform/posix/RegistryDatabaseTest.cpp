// The POSIX registry's database file, as other programs on the machine see it.
#include <gtest/gtest.h>

#include <cstdlib>
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
    EXPECT_EQ((std::set<std::string>{"HKEY_LOCAL_MACHINE\\Software\\Orvane\\Tarn\\Config|QAS Address|1|" + kValue}),
              Rows("SELECT key, name, type, data FROM reg_values"));
    // Both tables compare names without regard to case.
    EXPECT_EQ(1u, Rows("SELECT path FROM reg_keys WHERE path = 'hkey_local_machine\\software\\ORVANE'").size());
    EXPECT_EQ(1u, Rows("SELECT data FROM reg_values WHERE key = 'HKEY_LOCAL_MACHINE\\SOFTWARE\\ORVANE\\TARN\\CONFIG'"
                       " AND name = 'qas address'").size());
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
    for (const char* sub : {"/lib/tarn", "/lib", ""})
        rmdir((folder + sub).c_str());
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
