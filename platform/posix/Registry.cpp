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

// What a RegKey's handle points at: a connection (its own, or its
// transaction's) and the key's stored path. A RegTransaction's handle is one
// too, with no path.
struct OpenKey {
    sqlite3* db = nullptr;
    bool ownsDb = true;
    std::string path;
    RegAccess access = RegRead;

    OpenKey() = default;
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() {
        if (ownsDb)
            sqlite3_close_v2(db);
    }
};

// An SQLite failure as a registry result: running short of memory is told
// apart, so that callers can report it as such.
std::int32_t Failed(int rc) { return (rc & 0xff) == SQLITE_NOMEM ? RegNoMemory : RegError; }

OpenKey* Key(void* handle) { return static_cast<OpenKey*>(handle); }

// A prepared statement that remembers the first failure of its preparation
// or bindings: a statement run with a binding missing would look for NULL
// and find nothing, which must never pass for "not there".
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
        if (m_rc == SQLITE_OK && !m_stmt)
            m_rc = SQLITE_ERROR;
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, const std::string& text) {
        return Check(m_rc == SQLITE_OK ? sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()),
                                                           SQLITE_TRANSIENT)
                                       : m_rc);
    }
    Statement& Bind(int index, sqlite3_int64 number) {
        return Check(m_rc == SQLITE_OK ? sqlite3_bind_int64(m_stmt, index, number) : m_rc);
    }
    // A zero-length blob is an empty blob, never NULL.
    Statement& Bind(int index, const unsigned char* data, std::uint32_t size) {
        if (m_rc != SQLITE_OK)
            return *this;
        return Check(size ? sqlite3_bind_blob(m_stmt, index, data, static_cast<int>(size), SQLITE_TRANSIENT)
                          : sqlite3_bind_zeroblob(m_stmt, index, 0));
    }
    // SQLITE_ROW, SQLITE_DONE or an error (the first one, preparation and
    // bindings included).
    int Step() { return m_rc == SQLITE_OK ? sqlite3_step(m_stmt) : m_rc; }
    // Ready for another Step with new bindings.
    void Reset() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    sqlite3_stmt* get() const { return m_stmt; }

private:
    Statement& Check(int rc) {
        if (m_rc == SQLITE_OK)
            m_rc = rc;
        return *this;
    }

    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_OK;
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
    const int opened = sqlite3_open_v2(file.c_str(), &key.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (opened != SQLITE_OK)
        return Failed(key.db ? sqlite3_extended_errcode(key.db) : opened);
    sqlite3_busy_timeout(key.db, kBusyTimeoutMs);
    // Processes that meet on a new database race to turn on WAL and make the
    // tables; SQLite reports the loser busy at once rather than waiting.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    for (;;) {
        const int rc = sqlite3_exec(key.db, kSchema, nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            break;
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || std::chrono::steady_clock::now() > deadline)
            return Failed(rc);
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
    const int rc = select.Bind(1, full).Step();
    if (rc == SQLITE_DONE)
        return RegNotFound;
    if (rc != SQLITE_ROW)
        return Failed(rc);
    const auto* stored = reinterpret_cast<const char*>(sqlite3_column_text(select.get(), 0));
    if (!stored)
        return Failed(sqlite3_errcode(key.db));
    key.path = stored;
    return RegOk;
}

// Inserts full and its missing ancestors. The hive itself is never stored.
std::int32_t InsertWithAncestors(sqlite3* db, const std::string& full) {
    Statement insert(db, "INSERT OR IGNORE INTO reg_keys(path) VALUES(?1)");
    const std::size_t firstName = sizeof kHive; // just past "HKEY_LOCAL_MACHINE\\"
    for (std::string::size_type slash = full.find('\\', firstName);; slash = full.find('\\', slash + 1)) {
        const int rc = insert.Bind(1, full.substr(0, slash)).Step();
        if (rc != SQLITE_DONE)
            return Failed(rc);
        if (slash == std::string::npos)
            return RegOk;
        insert.Reset();
    }
}

std::int32_t Exec(sqlite3* db, const char* sql) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? RegOk : Failed(rc);
}

// Runs the creation under a write lock, so that two processes creating the
// same key see one of them create it. Inside a transaction, that transaction
// already holds the lock and decides what lands.
std::int32_t CreateKey(OpenKey& key, const std::string& full, bool& created) {
    const bool own = sqlite3_get_autocommit(key.db) != 0;
    std::int32_t result = own ? Exec(key.db, "BEGIN IMMEDIATE") : RegOk;
    if (result != RegOk)
        return result;
    result = FindKey(key, full);
    if (result == RegNotFound) {
        result = InsertWithAncestors(key.db, full);
        created = result == RegOk;
        if (created)
            key.path = full;
    }
    if (own && result == RegOk)
        result = Exec(key.db, "COMMIT");
    if (own && result != RegOk)
        sqlite3_exec(key.db, "ROLLBACK", nullptr, nullptr, nullptr);
    if (result != RegOk)
        created = false;
    return result;
}

// Opens or creates full on key's connection, already made.
std::int32_t FindOrCreate(OpenKey& key, const std::string& full, bool& created) {
    // An existing key needs no write lock.
    const std::int32_t result = FindKey(key, full);
    return IsAbsent(result) ? CreateKey(key, full, created) : result;
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
    if (result == RegOk)
        result = FindOrCreate(*key, full, isNew);
    if (result == RegOk)
        m_handle = key.release();
    if (created)
        *created = isNew;
    return result;
}

std::int32_t RegKey::CreateOrOpen(const char* path, RegAccess access, bool* created, RegTransaction& change) {
    Close();
    bool isNew = false;
    std::string full;
    if (!FullPath(path, full))
        return RegInvalidParameter;
    if (!change.m_handle) {
        auto connection = std::make_unique<OpenKey>();
        std::int32_t result = Connect(RegReadWrite, *connection);
        if (result == RegOk)
            result = Exec(connection->db, "BEGIN IMMEDIATE");
        if (result != RegOk)
            return result;
        change.m_handle = connection.release();
    }
    auto key = std::make_unique<OpenKey>();
    key->db = Key(change.m_handle)->db;
    key->ownsDb = false;
    key->access = access;
    const std::int32_t result = FindOrCreate(*key, full, isNew);
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
    const int rc = select.Bind(1, key->path).Bind(2, name ? name : "").Step();
    if (rc == SQLITE_DONE)
        return RegNotFound;
    if (rc != SQLITE_ROW)
        return Failed(rc);
    if (type)
        *type = static_cast<std::uint32_t>(sqlite3_column_int64(select.get(), 0));
    if (!size)
        return RegOk;
    const void* stored = sqlite3_column_blob(select.get(), 1);
    const auto length = static_cast<std::uint32_t>(sqlite3_column_bytes(select.get(), 1));
    if (!stored && length)
        return Failed(sqlite3_errcode(key->db));
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
    const int rc = upsert.Bind(1, key->path)
                       .Bind(2, name ? name : "")
                       .Bind(3, static_cast<sqlite3_int64>(type))
                       .Bind(4, data, size)
                       .Step();
    return rc == SQLITE_DONE ? RegOk : Failed(rc);
}

void RegKey::Close() {
    delete Key(m_handle);
    m_handle = nullptr;
}

RegTransaction::~RegTransaction() {
    if (OpenKey* connection = Key(m_handle)) {
        sqlite3_exec(connection->db, "ROLLBACK", nullptr, nullptr, nullptr);
        delete connection;
    }
}

std::int32_t RegTransaction::Commit() {
    OpenKey* connection = Key(m_handle);
    if (!connection)
        return RegOk;
    const std::int32_t result = Exec(connection->db, "COMMIT");
    if (result != RegOk)
        return result; // the destructor rolls back
    delete connection;
    m_handle = nullptr;
    return RegOk;
}

} // namespace platform
