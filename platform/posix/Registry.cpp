// HKEY_LOCAL_MACHINE as SQLite databases: the file this process writes,
// over the machine-wide one it only reads (platform/posix/RegistryFiles.h).
#include "platform/Registry.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <sqlite3.h>

#include "platform/Wait.h"
#include "platform/posix/RegistryFiles.h"

namespace platform {

namespace {

const char kHive[] = "HKEY_LOCAL_MACHINE";
// Another process holding the database is waited for this long, a pause of
// kBusyPauseMicros at a time, before the call fails busy.
constexpr std::int64_t kBusyMicros = 5000000;
constexpr std::int64_t kBusyPauseMicros = 1000;

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

// An SQLite failure as a registry result: running short of memory is told
// apart, so that callers can report it as such.
std::int32_t Failed(int rc) { return (rc & 0xff) == SQLITE_NOMEM ? RegNoMemory : RegError; }

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

// One database as a key sees it.
struct Layer {
    sqlite3* db = nullptr;
    bool holdsKey = false;
    bool ownsDb = true; // false: the connection of a RegTransaction

    Layer() = default;
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;
    ~Layer() {
        if (ownsDb)
            sqlite3_close_v2(db);
    }
};

// What a RegKey's handle points at: the key in the file this process
// writes, over the machine-wide file that is only read.
struct OpenKey {
    RegistryFiles files;
    Layer own;
    Layer machine;
    std::string path; // the key's full name as first stored
    RegAccess access = RegRead;
};

OpenKey* Key(void* handle) { return static_cast<OpenKey*>(handle); }

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

// SQLite's busy handler: each wait for another process's lock is one pause
// of the library's waiting place, within kBusyMicros of the first. SQLite
// calls it on the thread running the statement, tries 0 for each new wait.
int WaitWhileBusy(void*, int tries) {
    thread_local Deadline busySince;
    if (tries == 0)
        busySince = Deadline::In(kBusyMicros);
    return Pause(kBusyPauseMicros, {busySince, StopToken()}) == WaitEnd::BoundReached ? 1 : 0;
}

// Opens the file this process writes, which exists already; makes its
// tables when they are not there yet.
std::int32_t ConnectOwn(OpenKey& key) {
    const int opened =
        sqlite3_open_v2(key.files.own.c_str(), &key.own.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (opened != SQLITE_OK)
        return Failed(key.own.db ? sqlite3_extended_errcode(key.own.db) : opened);
    sqlite3_busy_handler(key.own.db, &WaitWhileBusy, nullptr);
    // Processes that meet on a new database race to turn on WAL and make the
    // tables; SQLite reports the loser busy at once rather than waiting.
    int rc = SQLITE_OK;
    const WaitEnd made = RetryFor(kBusyMicros, kBusyPauseMicros, [&] {
        rc = sqlite3_exec(key.own.db, kSchema, nullptr, nullptr, nullptr);
        return rc != SQLITE_BUSY && rc != SQLITE_LOCKED;
    });
    if (made != WaitEnd::Ready || rc != SQLITE_OK)
        return Failed(rc);
    if ((key.access & RegWrite) && sqlite3_db_readonly(key.own.db, "main") == 1)
        return RegAccessDenied;
    return RegOk;
}

// The machine-wide file, read-only and immutable: nothing is ever created
// beside it, and a user who may not write its folder can still read it.
void ConnectMachine(OpenKey& key) {
    std::string uri = "file:";
    for (const char c : key.files.machine) {
        switch (c) {
        case '%': uri += "%25"; break;
        case '?': uri += "%3f"; break;
        case '#': uri += "%23"; break;
        default: uri += c;
        }
    }
    uri += "?mode=ro&immutable=1";
    if (sqlite3_open_v2(uri.c_str(), &key.machine.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOFOLLOW,
                        nullptr) != SQLITE_OK) {
        sqlite3_close_v2(key.machine.db);
        key.machine.db = nullptr;
    }
}

// Looks up full in one database; on success stored is the name as stored.
std::int32_t FindKey(sqlite3* db, const std::string& full, std::string& stored) {
    if (full == kHive) {
        stored = full;
        return RegOk;
    }
    if (!db)
        return RegNotFound;
    Statement select(db, "SELECT path FROM reg_keys WHERE path = ?1");
    const int rc = select.Bind(1, full).Step();
    if (rc == SQLITE_DONE)
        return RegNotFound;
    if (rc != SQLITE_ROW)
        return Failed(rc);
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select.get(), 0));
    if (!text)
        return Failed(sqlite3_errcode(db));
    stored = text;
    return RegOk;
}

// Finds full in both files without creating either. A machine-wide file that
// cannot be read counts as one without the key.
std::int32_t Find(OpenKey& key, const std::string& full) {
    const std::int32_t usable = UseOwnFile(key.files, false);
    if (usable != RegOk && usable != RegNotFound)
        return usable;
    if (usable == RegOk) {
        std::int32_t result = ConnectOwn(key);
        if (result == RegOk)
            result = FindKey(key.own.db, full, key.path);
        if (result != RegOk && result != RegNotFound)
            return result;
        key.own.holdsKey = result == RegOk;
    }
    if (!key.files.machine.empty()) {
        ConnectMachine(key);
        std::string stored;
        key.machine.holdsKey = FindKey(key.machine.db, full, stored) == RegOk;
        if (key.machine.holdsKey && !key.own.holdsKey)
            key.path = stored;
    }
    return key.own.holdsKey || key.machine.holdsKey ? RegOk : RegNotFound;
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

// Makes the key in the file this process writes (the file too, the first
// time), under a write lock, so that of two processes creating the same key
// one is told it created it. Inside a RegTransaction, that transaction holds
// the lock and decides what lands.
std::int32_t CreateOwnKey(OpenKey& key, const std::string& full, bool& created) {
    created = false;
    if (!key.own.db) {
        std::int32_t result = UseOwnFile(key.files, true);
        if (result == RegOk)
            result = ConnectOwn(key);
        if (result != RegOk)
            return result;
    }
    const bool own = sqlite3_get_autocommit(key.own.db) != 0;
    std::int32_t result = own ? Exec(key.own.db, "BEGIN IMMEDIATE") : RegOk;
    if (result != RegOk)
        return result;
    std::string stored;
    result = FindKey(key.own.db, full, stored);
    if (result == RegNotFound) {
        result = InsertWithAncestors(key.own.db, full);
        created = result == RegOk;
        stored = full;
    }
    if (own && result == RegOk)
        result = Exec(key.own.db, "COMMIT");
    if (result != RegOk) {
        if (own)
            sqlite3_exec(key.own.db, "ROLLBACK", nullptr, nullptr, nullptr);
        created = false;
        return result;
    }
    key.own.holdsKey = true;
    if (key.path.empty())
        key.path = stored;
    return RegOk;
}

std::unique_ptr<OpenKey> NewKey(RegAccess access) {
    auto key = std::make_unique<OpenKey>();
    key->files = CurrentRegistryFiles();
    key->access = access;
    return key;
}

// One value of the key in one database.
std::int32_t QueryLayer(const Layer& layer, const std::string& path, const char* name, std::uint32_t* type,
                        unsigned char* data, std::uint32_t* size) {
    if (!layer.holdsKey || !layer.db)
        return RegNotFound;
    Statement select(layer.db, "SELECT type, data FROM reg_values WHERE key = ?1 AND name = ?2");
    const int rc = select.Bind(1, path).Bind(2, name ? name : "").Step();
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
        return Failed(sqlite3_errcode(layer.db));
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

} // namespace

std::int32_t RegKey::Open(const char* path, RegAccess access) {
    Close();
    std::string full;
    if (!FullPath(path, full))
        return RegNotFound;
    std::unique_ptr<OpenKey> key = NewKey(access);
    const std::int32_t result = Find(*key, full);
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
    std::unique_ptr<OpenKey> key = NewKey(access);
    // An existing key needs no write, so no file is made for it.
    std::int32_t result = Find(*key, full);
    if (result == RegNotFound)
        result = CreateOwnKey(*key, full, isNew);
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
    const std::int32_t result = QueryLayer(key->own, key->path, name, type, data, size);
    if (result != RegNotFound)
        return result;
    return QueryLayer(key->machine, key->path, name, type, data, size);
}

std::int32_t RegKey::SetValue(const char* name, std::uint32_t type, const unsigned char* data, std::uint32_t size) {
    OpenKey* key = Key(m_handle);
    if (!key)
        return RegInvalidHandle;
    if (!(key->access & RegWrite))
        return RegAccessDenied;
    if (!data && size)
        return RegInvalidParameter;
    // A key seen only in the machine-wide file gets its copy in this process's own file now.
    bool created = false;
    if (!key->own.holdsKey) {
        const std::int32_t result = CreateOwnKey(*key, key->path, created);
        if (result != RegOk)
            return result;
    }
    // A value written again keeps the letter case of its first name, as on Windows.
    Statement upsert(key->own.db,
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

// Under a change every key uses the change's connection to this process's
// own file, which the change holds under a write lock from its first key on.
std::int32_t RegKey::CreateOrOpen(const char* path, RegAccess access, bool* created, RegTransaction& change) {
    Close();
    bool isNew = false;
    std::string full;
    if (!FullPath(path, full))
        return RegInvalidParameter;
    if (!change.m_handle) {
        std::unique_ptr<OpenKey> connection = NewKey(RegReadWrite);
        std::int32_t result = UseOwnFile(connection->files, true);
        if (result == RegOk)
            result = ConnectOwn(*connection);
        if (result == RegOk)
            result = Exec(connection->own.db, "BEGIN IMMEDIATE");
        if (result != RegOk)
            return result;
        change.m_handle = connection.release();
    }
    std::unique_ptr<OpenKey> key = NewKey(access);
    key->own.db = Key(change.m_handle)->own.db;
    key->own.ownsDb = false;
    std::int32_t result = FindKey(key->own.db, full, key->path);
    key->own.holdsKey = result == RegOk;
    if (result == RegNotFound && !key->files.machine.empty()) {
        ConnectMachine(*key);
        std::string stored;
        key->machine.holdsKey = FindKey(key->machine.db, full, stored) == RegOk;
        if (key->machine.holdsKey) {
            key->path = stored;
            result = RegOk;
        }
    }
    if (result == RegNotFound)
        result = CreateOwnKey(*key, full, isNew);
    if (result == RegOk)
        m_handle = key.release();
    if (created)
        *created = isNew;
    return result;
}

RegTransaction::~RegTransaction() {
    if (OpenKey* connection = Key(m_handle)) {
        sqlite3_exec(connection->own.db, "ROLLBACK", nullptr, nullptr, nullptr);
        delete connection;
    }
}

std::int32_t RegTransaction::Commit() {
    OpenKey* connection = Key(m_handle);
    if (!connection)
        return RegOk;
    const std::int32_t result = Exec(connection->own.db, "COMMIT");
    if (result != RegOk)
        return result; // the destructor rolls back
    delete connection;
    m_handle = nullptr;
    return RegOk;
}

} // namespace platform
