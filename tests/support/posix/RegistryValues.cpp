#include "tests/support/RegistryValues.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <sqlite3.h>

#include "tests/support/TestEnvironment.h"

namespace tarntest {

namespace {

const std::string kHive = "HKEY_LOCAL_MACHINE\\";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The machine-wide store: TARN_REGISTRY's file, or the test's registry once
// it stands for the machine-wide file (ActAsStandardUser).
std::string MachineFile() {
    const std::string named = Environment("TARN_REGISTRY");
    return named.empty() ? RegistryPath() : named;
}

// The file the library writes.
std::string UserFile() {
    const std::string named = Environment("TARN_REGISTRY");
    return named.empty() ? Environment("XDG_STATE_HOME") + "/tarn/registry.db" : named;
}

// A statement on the database file, its first parameters the texts; one
// that writes makes the file and its tables when they are missing.
class Statement {
public:
    Statement(const std::string& file, bool writes, const char* sql, std::initializer_list<std::string> texts) {
        const int flags = writes ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
        if (sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr) != SQLITE_OK ||
            sqlite3_busy_timeout(m_db, 5000) != SQLITE_OK ||
            (writes && sqlite3_exec(m_db,
                         "CREATE TABLE IF NOT EXISTS reg_keys(path TEXT PRIMARY KEY COLLATE NOCASE);"
                         "CREATE TABLE IF NOT EXISTS reg_values(key TEXT NOT NULL COLLATE NOCASE,"
                         " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
                         " PRIMARY KEY(key, name));",
                         nullptr, nullptr, nullptr) != SQLITE_OK) ||
            sqlite3_prepare_v2(m_db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot use the test registry " + file + ": " + sqlite3_errmsg(m_db));
        int at = 0;
        for (const std::string& text : texts)
            sqlite3_bind_text(m_statement, ++at, text.c_str(), -1, SQLITE_TRANSIENT);
    }
    ~Statement() {
        sqlite3_finalize(m_statement);
        sqlite3_close(m_db);
    }
    sqlite3_stmt* operator*() const { return m_statement; }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
};

void Set(const std::string& file, const std::string& keyPath, const std::string& name, std::uint32_t type,
         const std::string& bytes) {
    sqlite3_step(*Statement(file, true, "INSERT OR IGNORE INTO reg_keys(path) VALUES(?)", {kHive + keyPath}));
    const Statement insert(file, true, "INSERT OR REPLACE INTO reg_values(key, name, type, data) VALUES(?, ?, ?, ?)",
                           {kHive + keyPath, name});
    sqlite3_bind_int64(*insert, 3, type);
    sqlite3_bind_blob(*insert, 4, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(*insert) != SQLITE_DONE)
        throw std::runtime_error("cannot write the test registry");
}

// False when the file, the key or the value does not exist; reading makes no file.
bool Get(const std::string& file, const std::string& keyPath, const std::string& name, std::string& bytes,
         std::uint32_t* type) {
    if (!std::filesystem::exists(file))
        return false;
    const Statement select(file, false, "SELECT type, data FROM reg_values WHERE key = ? AND name = ?", {kHive + keyPath, name});
    if (sqlite3_step(*select) != SQLITE_ROW)
        return false;
    if (type)
        *type = static_cast<std::uint32_t>(sqlite3_column_int64(*select, 0));
    bytes.assign(static_cast<const char*>(sqlite3_column_blob(*select, 1)),
                 static_cast<std::size_t>(sqlite3_column_bytes(*select, 1)));
    return true;
}

} // namespace

const bool kStoredLoginIsProtected = false;

void SetRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                      const std::string& bytes) {
    Set(MachineFile(), keyPath, name, type, bytes);
}

bool GetRegistryValue(const std::string& keyPath, const std::string& name, std::string& bytes, std::uint32_t* type) {
    return Get(MachineFile(), keyPath, name, bytes, type);
}

void SetUserRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                          const std::string& bytes) {
    Set(UserFile(), keyPath, name, type, bytes);
}

bool GetUserRegistryValue(const std::string& keyPath, const std::string& name, std::string& bytes,
                          std::uint32_t* type) {
    return Get(UserFile(), keyPath, name, bytes, type);
}

void SetStoredLogin(const std::string& text) {
    SetUserRegistryValue(kUserLogKey, kMostRecentlyUsed, kRegSz, text + std::string(1, '\0'));
}

bool GetStoredLogin(std::string& text) {
    std::uint32_t type = 0;
    // Exactly one terminator, at the end.
    if (!GetUserRegistryValue(kUserLogKey, kMostRecentlyUsed, text, &type) || type != kRegSz ||
        text.find('\0') != text.size() - 1)
        return false;
    text.pop_back();
    return true;
}

} // namespace tarntest
