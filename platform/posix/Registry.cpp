// HKEY_LOCAL_MACHINE as an SQLite database shared by every process of the
// machine (TARN_REGISTRY, else /var/lib/tarn/registry.db).
#include "platform/Registry.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include <sqlite3.h>
#include <sys/stat.h>

namespace platform {

namespace {

const char kHive[] = "HKEY_LOCAL_MACHINE";
const char kDefaultFile[] = "/var/lib/tarn/registry.db";
const int kBusyTimeoutMs = 5000;

const char kSchema[] =
    "PRAGMA journal_mode=WAL;"
    "CREATE TABLE IF NOT EXISTS reg_keys("
    "  path TEXT PRIMARY KEY COLLATE NOCASE);"
    "CREATE TABLE IF NOT EXISTS reg_values("
    "  key  TEXT NOT NULL COLLATE NOCASE,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, name));";

// What a RegKey's handle points at: its own connection and the key's stored path.
struct OpenKey {
    sqlite3* db = nullptr;
    std::string path;
    RegAccess access = RegRead;

    OpenKey() = default;
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() { sqlite3_close_v2(db); }
};

OpenKey* Key(void* handle) { return static_cast<OpenKey*>(handle); }

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            m_stmt = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, const std::string& text) {
        sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_ERROR; }
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

std::string DatabaseFile() {
    const char* path = std::getenv("TARN_REGISTRY");
    return path && *path ? path : kDefaultFile;
}

void MakeParentDirectories(const std::string& file) {
    for (std::string::size_type slash = file.find('/', 1); slash != std::string::npos;
         slash = file.find('/', slash + 1))
        mkdir(file.substr(0, slash).c_str(), 0755);
}

// The full stored name of subKey: the hive, then the backslash-separated
// names. False for an empty name inside the path.
bool FullPath(const char* subKey, std::string& full) {
    full = kHive;
    if (!subKey || !*subKey)
        return true;
    for (const char* name = subKey;;) {
        const char* end = std::strchr(name, '\\');
        const std::size_t length = end ? static_cast<std::size_t>(end - name) : std::strlen(name);
        if (length == 0)
            return false;
        full.append(1, '\\').append(name, length);
        if (!end)
            return true;
        name = end + 1;
    }
}

// Opens the database for one key: created with its tables on first use.
std::int32_t Connect(RegAccess access, OpenKey& key) {
    const std::string file = DatabaseFile();
    MakeParentDirectories(file);
    if (sqlite3_open_v2(file.c_str(), &key.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return RegError;
    sqlite3_busy_timeout(key.db, kBusyTimeoutMs);
    // Processes that meet on a new database race to turn on WAL and make the
    // tables; SQLite reports the loser busy at once rather than waiting.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    for (;;) {
        const int rc = sqlite3_exec(key.db, kSchema, nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            break;
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || std::chrono::steady_clock::now() > deadline)
            return RegError;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if ((access & RegWrite) && sqlite3_db_readonly(key.db, "main") == 1)
        return RegAccessDenied;
    key.access = access;
    return RegOk;
}

// Looks up full; on success key.path is the name as stored.
std::int32_t FindKey(OpenKey& key, const std::string& full) {
    if (full == kHive) {
        key.path = full;
        return RegOk;
    }
    Statement select(key.db, "SELECT path FROM reg_keys WHERE path = ?1");
    switch (select.Bind(1, full).Step()) {
    case SQLITE_ROW:
        key.path = reinterpret_cast<const char*>(sqlite3_column_text(select.get(), 0));
        return RegOk;
    case SQLITE_DONE:
        return RegNotFound;
    default:
        return RegError;
    }
}

// Inserts full and its missing ancestors. The hive itself is never stored.
bool InsertWithAncestors(sqlite3* db, const std::string& full) {
    Statement insert(db, "INSERT OR IGNORE INTO reg_keys(path) VALUES(?1)");
    const std::size_t firstName = sizeof kHive; // just past "HKEY_LOCAL_MACHINE\\"
    for (std::string::size_type slash = full.find('\\', firstName);; slash = full.find('\\', slash + 1)) {
        if (insert.Bind(1, full.substr(0, slash)).Step() != SQLITE_DONE)
            return false;
        if (slash == std::string::npos)
            return true;
        sqlite3_reset(insert.get());
    }
}

// Runs the creation under a write lock, so that two processes creating the
// same key see one of them create it.
std::int32_t CreateKey(OpenKey& key, const std::string& full, bool& created) {
    if (sqlite3_exec(key.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return RegError;
    std::int32_t result = FindKey(key, full);
    if (result == RegNotFound && InsertWithAncestors(key.db, full)) {
        key.path = full;
        created = true;
        result = RegOk;
    }
    if (result == RegOk && sqlite3_exec(key.db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return RegOk;
    sqlite3_exec(key.db, "ROLLBACK", nullptr, nullptr, nullptr);
    created = false;
    return RegError;
}

} // namespace

std::int32_t RegKey::Open(const char* path, RegAccess access) {
    Close();
    std::string full;
    if (!FullPath(path, full))
        return RegNotFound;
    auto key = std::make_unique<OpenKey>();
    std::int32_t result = Connect(access, *key);
    if (result == RegOk)
        result = FindKey(*key, full);
    if (result == RegOk)
        m_handle = key.release();
    return result;
}

std::int32_t RegKey::CreateOrOpen(const char* path, RegAccess access, bool* created) {
    Close();
    bool isNew = false;
    std::string full;
    if (!FullPath(path, full))
        return RegInvalidParameter;
    auto key = std::make_unique<OpenKey>();
    std::int32_t result = Connect(access, *key);
    if (result == RegOk) {
        // An existing key needs no write lock.
        result = FindKey(*key, full);
        if (result == RegNotFound)
            result = CreateKey(*key, full, isNew);
    }
    if (result == RegOk)
        m_handle = key.release();
    if (created)
        *created = isNew;
    return result;
}

std::int32_t RegKey::QueryValue(const char* name, std::uint32_t* type, unsigned char* data, std::uint32_t* size) {
    OpenKey* key = Key(m_handle);
    if (!key)
        return RegInvalidHandle;
    if (!(key->access & RegRead))
        return RegAccessDenied;
    if (data && !size)
        return RegInvalidParameter;
    Statement select(key->db, "SELECT type, data FROM reg_values WHERE key = ?1 AND name = ?2");
    switch (select.Bind(1, key->path).Bind(2, name ? name : "").Step()) {
    case SQLITE_ROW:
        break;
    case SQLITE_DONE:
        return RegNotFound;
    default:
        return RegError;
    }
    if (type)
        *type = static_cast<std::uint32_t>(sqlite3_column_int64(select.get(), 0));
    if (!size)
        return RegOk;
    const void* stored = sqlite3_column_blob(select.get(), 1);
    const auto length = static_cast<std::uint32_t>(sqlite3_column_bytes(select.get(), 1));
    const std::uint32_t room = *size;
    *size = length;
    if (!data)
        return RegOk;
    if (room < length)
        return RegMoreData;
    if (length)
        std::memcpy(data, stored, length);
    return RegOk;
}

std::int32_t RegKey::SetValue(const char* name, std::uint32_t type, const unsigned char* data, std::uint32_t size) {
    OpenKey* key = Key(m_handle);
    if (!key)
        return RegInvalidHandle;
    if (!(key->access & RegWrite))
        return RegAccessDenied;
    if (!data && size)
        return RegInvalidParameter;
    // A value written again keeps the letter case of its first name, as on Windows.
    Statement upsert(key->db,
                     "INSERT INTO reg_values(key, name, type, data) VALUES(?1, ?2, ?3, ?4)"
                     " ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    upsert.Bind(1, key->path).Bind(2, name ? name : "");
    sqlite3_bind_int64(upsert.get(), 3, type);
    // A zero-length value is an empty blob, never NULL.
    if (size)
        sqlite3_bind_blob(upsert.get(), 4, data, static_cast<int>(size), SQLITE_TRANSIENT);
    else
        sqlite3_bind_zeroblob(upsert.get(), 4, 0);
    return upsert.Step() == SQLITE_DONE ? RegOk : RegError;
}

void RegKey::Close() {
    delete Key(m_handle);
    m_handle = nullptr;
}

} // namespace platform
