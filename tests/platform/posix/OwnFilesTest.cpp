// Files another local user could touch: the registry's and the trace's are
// used only when they are this user's alone, never through a link. What the
// user owns is tightened; anything else is refused, reported for the trace,
// and nothing is stored.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Registry.h"
#include "platform/TraceOutput.h"
#include "tests/support/TestEnvironment.h"

using namespace platform;

namespace {

const char kConfig[] = "Software\\Orvane\\Tarn\\Config";
const char kValue[] = "QAS Address";
const char kOld[] = "10.0.0.1:1";
const char kNew[] = "10.0.0.2:2";
// A user the tests can give files to; only root can.
const uid_t kOtherUser = 65534;

bool IsRoot() { return geteuid() == 0; }

mode_t Mode(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

void SetMode(const std::string& path, mode_t mode) { ASSERT_EQ(0, chmod(path.c_str(), mode)) << path; }

void GiveAway(const std::string& path) { ASSERT_EQ(0, lchown(path.c_str(), kOtherUser, kOtherUser)) << path; }

// Replaces path by a link to a copy of what was there.
void MoveBehindLink(const std::string& path, const std::string& target) {
    std::filesystem::rename(path, target);
    std::filesystem::create_symlink(target, path);
}

std::int32_t Write(const char* value) {
    RegKey key;
    const std::int32_t opened = key.CreateOrOpen(kConfig, RegReadWrite, nullptr);
    if (opened != RegOk)
        return opened;
    return key.SetValue(kValue, RegSz, reinterpret_cast<const unsigned char*>(value),
                        static_cast<std::uint32_t>(std::strlen(value) + 1));
}

// The value as the library reads it, or why not.
std::string Read() {
    RegKey key;
    const std::int32_t opened = key.Open(kConfig, RegRead);
    if (opened != RegOk)
        return "<result " + std::to_string(opened) + ">";
    char data[64] = {};
    std::uint32_t size = sizeof data;
    const std::int32_t read = key.QueryValue(kValue, nullptr, reinterpret_cast<unsigned char*>(data), &size);
    return read == RegOk ? std::string(data) : "<result " + std::to_string(read) + ">";
}

// The value as stored in one database file, read behind the library's back.
std::string StoredIn(const std::string& file) {
    sqlite3* db = nullptr;
    std::string value = "<none>";
    sqlite3_stmt* select = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT data FROM reg_values WHERE name = 'QAS Address'", -1, &select, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(select) == SQLITE_ROW)
        value = static_cast<const char*>(sqlite3_column_blob(select, 0));
    sqlite3_finalize(select);
    sqlite3_close(db);
    return value;
}

// The text of a regular file; empty for anything else (reading a pipe would wait).
std::string FileText(const std::string& path) {
    if (!std::filesystem::is_regular_file(path))
        return std::string();
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What the registry reported, one line each, "failed: " marking a refusal.
std::string g_reported;

// A folder of the test's own, removed with everything in it; meanwhile the
// registry's reports are kept.
class Scratch {
public:
    Scratch() : m_path(tarntest::RegistryPath() + ".own") {
        std::filesystem::create_directory(m_path);
        g_reported.clear();
        SetRegistryReport([](const char* line, bool failed) {
            g_reported.append(failed ? "failed: " : "").append(line).append(1, '\n');
        });
    }
    ~Scratch() {
        SetRegistryReport(nullptr);
        std::filesystem::remove_all(m_path);
    }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Where the registry file of a row lives.
struct Place {
    std::string folder; // the registry's own folder (per user) or the one TARN_REGISTRY names a file in
    std::string file;
    std::string above;  // the folder that holds folder
};

TEST(OwnFiles, RegistryIsUsedOnlyWhenItIsTheUsersAlone) {
    const struct {
        const char* what;
        bool named = false; // TARN_REGISTRY names the file; else the per-user file
        std::function<void(const Place&, const Scratch&)> arrange;
        const char* refusal = nullptr; // in the trace line; null: the file is used
        bool needsRoot = false;        // to give a file to another user
    } cases[] = {
        {.what = "the user's, 0600", .arrange = [](const Place&, const Scratch&) {}},
        {.what = "group-writable file, tightened",
         .arrange = [](const Place& p, const Scratch&) { SetMode(p.file, 0664); }},
        {.what = "group-writable folder, tightened",
         .arrange = [](const Place& p, const Scratch&) { SetMode(p.folder, 0775); }},
        {.what = "named file readable by all, tightened",
         .named = true,
         .arrange = [](const Place& p, const Scratch&) { SetMode(p.file, 0644); }},
        {.what = "a folder above in a sticky shared folder",
         .arrange = [](const Place& p, const Scratch&) { SetMode(p.above, 01777); }},
        {.what = "file of another user",
         .arrange = [](const Place& p, const Scratch&) { GiveAway(p.file); },
         .refusal = "it belongs to user 65534",
         .needsRoot = true},
        {.what = "named file of another user",
         .named = true,
         .arrange = [](const Place& p, const Scratch&) { GiveAway(p.file); },
         .refusal = "it belongs to user 65534",
         .needsRoot = true},
        {.what = "folder of another user",
         .arrange = [](const Place& p, const Scratch&) { GiveAway(p.folder); },
         .refusal = "belongs to user 65534",
         .needsRoot = true},
        {.what = "file behind a link",
         .arrange = [](const Place& p, const Scratch& s) { MoveBehindLink(p.file, s / "elsewhere.db"); },
         .refusal = "it is a symbolic link"},
        {.what = "named file behind a link",
         .named = true,
         .arrange = [](const Place& p, const Scratch& s) { MoveBehindLink(p.file, s / "elsewhere.db"); },
         .refusal = "it is a symbolic link"},
        {.what = "folder behind a link",
         .arrange = [](const Place& p, const Scratch& s) { MoveBehindLink(p.folder, s / "elsewhere"); },
         .refusal = "is a symbolic link"},
        {.what = "a folder above writable by others",
         .arrange = [](const Place& p, const Scratch&) { SetMode(p.above, 0777); },
         .refusal = "is writable by group or others"},
        {.what = "file with a second name",
         .named = true,
         .arrange = [](const Place& p, const Scratch& s) {
             ASSERT_EQ(0, link(p.file.c_str(), (s / "second.db").c_str()));
         },
         .refusal = "it has other names"},
        {.what = "SQLite's log beside it behind a link",
         .named = true,
         .arrange = [](const Place& p, const Scratch& s) {
             std::ofstream(s / "log").put('x');
             std::filesystem::create_symlink(s / "log", p.file + "-wal");
         },
         .refusal = "-wal is not used: it is a symbolic link"},
        {.what = "a pipe in the file's place",
         .named = true,
         .arrange = [](const Place& p, const Scratch&) {
             std::filesystem::remove(p.file);
             ASSERT_EQ(0, mkfifo(p.file.c_str(), 0600));
         },
         .refusal = "it is not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && !IsRoot()) {
            std::printf("skipped \"%s\": only root can give a file to another user\n", c.what);
            continue;
        }
        const Scratch scratch;
        Place place;
        if (c.named) {
            place = {scratch / "named", scratch / "named/registry.db", scratch / ""};
            setenv("TARN_REGISTRY", place.file.c_str(), 1);
        } else {
            place = {scratch / "state/tarn", scratch / "state/tarn/registry.db", scratch / "state"};
            unsetenv("TARN_REGISTRY");
            setenv("XDG_STATE_HOME", place.above.c_str(), 1);
        }
        std::filesystem::create_directories(place.folder);
        ASSERT_EQ(RegOk, Write(kOld));
        c.arrange(place, scratch);
        if (!c.refusal) {
            EXPECT_EQ(kOld, Read());
            EXPECT_EQ(RegOk, Write(kNew));
            EXPECT_EQ(kNew, Read());
            EXPECT_EQ(0600, Mode(place.file));
            if (!c.named) {
                EXPECT_EQ(0700, Mode(place.folder));
            }
            continue;
        }
        const std::string before = FileText(scratch / "elsewhere.db") + FileText(place.file + "-wal");
        EXPECT_EQ("<result 5>", Read());
        EXPECT_EQ(RegAccessDenied, Write(kNew));
        EXPECT_EQ(before, FileText(scratch / "elsewhere.db") + FileText(place.file + "-wal"));
        if (std::filesystem::exists(scratch / "elsewhere.db")) {
            EXPECT_EQ(kOld, StoredIn(scratch / "elsewhere.db"));
        }
        EXPECT_NE(std::string::npos, g_reported.find("failed: registry: ")) << g_reported;
        EXPECT_NE(std::string::npos, g_reported.find(c.refusal)) << g_reported;
    }
    unsetenv("XDG_STATE_HOME");
}

// The machine-wide file an installer leaves is read only while root owns it
// and its folders and nobody else may write them. (The test's own file
// stands in for it, so the test's user counts as root here.)
TEST(OwnFiles, MachineWideFileIsReadOnlyWhileOnlyRootCanChangeIt) {
    const struct {
        const char* what;
        std::function<void(const std::string& folder, const std::string& file, const Scratch&)> arrange;
        bool read = true;
        bool needsRoot = false;
    } cases[] = {
        {.what = "installed as it should be", .arrange = [](auto&&...) {}},
        {.what = "group-writable file",
         .arrange = [](const std::string&, const std::string& file, const Scratch&) { SetMode(file, 0664); },
         .read = false},
        {.what = "folder writable by others",
         .arrange = [](const std::string& folder, const std::string&, const Scratch&) { SetMode(folder, 0777); },
         .read = false},
        {.what = "file behind a link",
         .arrange = [](const std::string&, const std::string& file,
                       const Scratch& s) { MoveBehindLink(file, s / "elsewhere.db"); },
         .read = false},
        {.what = "file of another user",
         .arrange = [](const std::string&, const std::string& file, const Scratch&) { GiveAway(file); },
         .read = false,
         .needsRoot = true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && !IsRoot())
            continue;
        const Scratch scratch;
        const std::string folder = scratch / "machine", file = folder + "/registry.db";
        std::filesystem::create_directory(folder);
        SetMode(folder, 0755);
        setenv("TARN_REGISTRY", file.c_str(), 1);
        ASSERT_EQ(RegOk, Write(kOld));
        SetMode(file, 0644);
        unsetenv("TARN_REGISTRY");
        setenv("XDG_STATE_HOME", (scratch / "state").c_str(), 1);
        SetMachineRegistryFile(file.c_str());
        c.arrange(folder, file, scratch);
        EXPECT_EQ(c.read ? kOld : "<result 2>", Read());
        EXPECT_EQ(c.read, g_reported.find("registry: " + file + " is not read: ") == std::string::npos)
            << g_reported;
        SetMachineRegistryFile(nullptr);
    }
    unsetenv("XDG_STATE_HOME");
}

// A trace that was there before, with mode.
void Earlier(const std::string& file, mode_t mode) {
    std::ofstream(file) << "earlier\n";
    SetMode(file, mode);
}

// A trace file is created 0600 and appended to only while it is the user's
// alone; no link is followed.
TEST(OwnFiles, TraceFileIsTheUsersAlone) {
    const struct {
        const char* what;
        std::function<void(const std::string& file, const Scratch&)> arrange;
        bool used = true;
        mode_t mode = 0600; // afterwards, where it is used
        bool needsRoot = false;
    } cases[] = {
        {.what = "new", .arrange = [](auto&&...) {}},
        {.what = "the user's, readable by all",
         .arrange = [](const std::string& file, const Scratch&) { Earlier(file, 0644); },
         .mode = 0644},
        {.what = "writable by others: tightened",
         .arrange = [](const std::string& file, const Scratch&) { Earlier(file, 0666); },
         .mode = 0644},
        {.what = "behind a link",
         .arrange = [](const std::string& file,
                       const Scratch& s) { std::filesystem::create_symlink(s / "elsewhere.log", file); },
         .used = false},
        {.what = "a dangling link",
         .arrange = [](const std::string& file,
                       const Scratch& s) { std::filesystem::create_symlink(s / "missing.log", file); },
         .used = false},
        {.what = "a pipe",
         .arrange = [](const std::string& file, const Scratch&) { ASSERT_EQ(0, mkfifo(file.c_str(), 0600)); },
         .used = false},
        {.what = "another user's",
         .arrange = [](const std::string& file, const Scratch&) {
             Earlier(file, 0666);
             GiveAway(file);
         },
         .used = false,
         .needsRoot = true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && !IsRoot())
            continue;
        const Scratch scratch;
        const std::string file = scratch / "t.log";
        c.arrange(file, scratch);
        const std::string before = FileText(file);
        {
            TraceOutput output(file.c_str());
            EXPECT_EQ(c.used, !output.Failed());
            output.Write("line\n", 5);
        }
        EXPECT_EQ(c.used ? before + "line\n" : before, FileText(file));
        if (c.used) {
            EXPECT_EQ(c.mode, Mode(file));
        }
        EXPECT_FALSE(std::filesystem::exists(scratch / "elsewhere.log"));
        EXPECT_FALSE(std::filesystem::exists(scratch / "missing.log"));
    }
}

} // namespace
