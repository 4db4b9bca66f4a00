#include "tests/support/RegistryValues.h"

#include <cstdlib>
#include <initializer_list>
#include <stdexcept>

#include <sqlite3.h>

#include "tests/support/TestEnvironment.h"

namespace tarntest {

namespace {

const char kHive[] = "HKEY_LOCAL_MACHINE\\";

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

class Database {
public:
    // A read-only database must exist already; it is never created.
    Database(const std::string& path, bool readOnly) {
        const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
            if (!readOnly)
                throw std::runtime_error("cannot open the test registry");
            return;
        }
        sqlite3_busy_timeout(m_db, 5000);
        if (!readOnly && sqlite3_exec(m_db,
                                      "CREATE TABLE IF NOT EXISTS reg_keys(path TEXT PRIMARY KEY COLLATE NOCASE);"
                                      "CREATE TABLE IF NOT EXISTS reg_values(key TEXT NOT NULL COLLATE NOCASE,"
                                      " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
                                      " PRIMARY KEY(key, name));",
                                      nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }
    ~Database() { sqlite3_close(m_db); }

    void CreateKey(const std::string& keyPath) {
        const std::string full = kHive + keyPath;
        for (std::string::size_type at = full.find('\\', sizeof(kHive) - 1);; at = full.find('\\', at + 1)) {
            Step(Prepare("INSERT OR IGNORE INTO reg_keys(path) VALUES(?)", {full.substr(0, at)}));
            if (at == std::string::npos)
                break;
        }
    }

    void Set(const std::string& keyPath, const std::string& name, std::uint32_t type, const std::string& bytes) {
        CreateKey(keyPath);
        sqlite3_stmt* insert =
            Prepare("INSERT OR REPLACE INTO reg_values(key, name, type, data) VALUES(?, ?, ?, ?)", {kHive + keyPath, name});
        sqlite3_bind_int64(insert, 3, type);
        sqlite3_bind_blob(insert, 4, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        if (Step(insert) != SQLITE_DONE)
            throw std::runtime_error("cannot write the test registry");
    }

    bool Get(const std::string& keyPath, const std::string& name, std::string& bytes, std::uint32_t* type) {
        if (!m_db)
            return false;
        sqlite3_stmt* select = Prepare("SELECT type, data FROM reg_values WHERE key = ? AND name = ?", {kHive + keyPath, name});
        const bool found = sqlite3_step(select) == SQLITE_ROW;
        if (found) {
            if (type)
                *type = static_cast<std::uint32_t>(sqlite3_column_int64(select, 0));
            const void* data = sqlite3_column_blob(select, 1);
            bytes.assign(static_cast<const char*>(data), static_cast<std::size_t>(sqlite3_column_bytes(select, 1)));
        }
        sqlite3_finalize(select);
        return found;
    }

private:
    // A statement with texts bound to its first parameters.
    sqlite3_stmt* Prepare(const char* sql, std::initializer_list<std::string> texts) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        int at = 0;
        for (const std::string& text : texts)
            sqlite3_bind_text(statement, ++at, text.c_str(), -1, SQLITE_TRANSIENT);
        return statement;
    }
    static int Step(sqlite3_stmt* statement) {
        const int rc = sqlite3_step(statement);
        sqlite3_finalize(statement);
        return rc;
    }

    sqlite3* m_db = nullptr;
};

} // namespace

const bool kStoredLoginIsProtected = false;

void CreateRegistryKey(const std::string& keyPath) { Database(MachineFile(), false).CreateKey(keyPath); }

void SetRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                      const std::string& bytes) {
    Database(MachineFile(), false).Set(keyPath, name, type, bytes);
}

bool GetRegistryValue(const std::string& keyPath, const std::string& name, std::string& bytes, std::uint32_t* type) {
    return Database(MachineFile(), true).Get(keyPath, name, bytes, type);
}

bool GetUserRegistryValue(const std::string& keyPath, const std::string& name, std::string& bytes,
                          std::uint32_t* type) {
    return Database(UserFile(), true).Get(keyPath, name, bytes, type);
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

void SetUserRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                          const std::string& bytes) {
    Database(UserFile(), false).Set(keyPath, name, type, bytes);
}

} // namespace tarntest
