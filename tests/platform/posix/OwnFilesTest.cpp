// Files another local user could touch: the registry's and the trace's are
// used only when they are this user's alone, never through a link. What the
// user owns is tightened; anything else is refused, reported for the trace,
// and nothing is stored. The machine-wide registry file is only read, and
// only while root owns it and nobody else may write it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/Registry.h"
#include "platform/TraceOutput.h"
#include "tests/support/Files.h"

using namespace platform;
using tarntest::FileText;

namespace {

const char kConfig[] = "Software\\Orvane\\Tarn\\Config";
const char kValue[] = "QAS Address";
const char kOld[] = "10.0.0.1:1";
const char kNew[] = "10.0.0.2:2";

mode_t Mode(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
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

// What the registry reported, one line each, "failed: " marking a refusal.
std::string g_reported;

// A scratch folder; meanwhile the registry's reports are kept.
class Scratch : public tarntest::ScratchFolder {
public:
    Scratch() {
        g_reported.clear();
        SetRegistryReport([](const char* line, bool failed) {
            g_reported.append(failed ? "failed: " : "").append(line).append(1, '\n');
        });
    }
    ~Scratch() {
        SetRegistryReport(nullptr);
        SetMachineRegistryFile(nullptr);
        unsetenv("XDG_STATE_HOME");
    }
};

// What a row does to the file or folder it names before the library uses it.
enum class Change {
    None,
    Mode,       // to the row's mode
    GiveAway,   // to another user (only root can)
    Link,       // moved to "elsewhere", a symbolic link in its place
    SecondName, // a hard link beside it
    Pipe,       // a pipe in its place
    LinkedLog,  // SQLite's -wal file beside it, a link to another file
};

// Which of a registry file's places a row changes.
enum class Target { File, Folder, Above };

void Arrange(Change change, const std::string& path, mode_t mode, const Scratch& s) {
    switch (change) {
    case Change::None:
        break;
    case Change::Mode:
        ASSERT_EQ(0, chmod(path.c_str(), mode)) << path;
        break;
    case Change::GiveAway:
        ASSERT_EQ(0, lchown(path.c_str(), 65534, 65534)) << path;
        break;
    case Change::Link:
        if (std::filesystem::exists(path))
            std::filesystem::rename(path, s / "elsewhere");
        std::filesystem::create_symlink(s / "elsewhere", path);
        break;
    case Change::SecondName:
        ASSERT_EQ(0, link(path.c_str(), (s / "second").c_str()));
        break;
    case Change::Pipe:
        std::filesystem::remove(path);
        ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
        break;
    case Change::LinkedLog:
        std::ofstream(s / "log").put('x');
        std::filesystem::create_symlink(s / "log", path + "-wal");
        break;
    }
}

// Only root can give a file to another user.
bool Skipped(Change change, const char* what) {
    if (change != Change::GiveAway || geteuid() == 0)
        return false;
    std::printf("skipped \"%s\": only root can give a file to another user\n", what);
    return true;
}

TEST(OwnFiles, RegistryIsUsedOnlyWhenItIsTheUsersAlone) {
    const struct {
        const char* what;
        bool named = false; // TARN_REGISTRY names the file; else the per-user file
        Change change = Change::None;
        Target target = Target::File;
        mode_t mode = 0;
        const char* refusal = nullptr; // in the trace line; null: the file is used, and tightened
    } cases[] = {
        {.what = "the user's, 0600"},
        {.what = "group-writable file", .change = Change::Mode, .mode = 0664},
        {.what = "group-writable folder", .change = Change::Mode, .target = Target::Folder, .mode = 0775},
        {.what = "named file readable by all", .named = true, .change = Change::Mode, .mode = 0644},
        {.what = "a folder above in a sticky shared folder", .change = Change::Mode, .target = Target::Above,
         .mode = 01777},
        {.what = "file of another user", .change = Change::GiveAway, .refusal = "it belongs to user 65534"},
        {.what = "named file of another user", .named = true, .change = Change::GiveAway,
         .refusal = "it belongs to user 65534"},
        {.what = "folder of another user", .change = Change::GiveAway, .target = Target::Folder,
         .refusal = "belongs to user 65534"},
        {.what = "file behind a link", .change = Change::Link, .refusal = "it is a symbolic link"},
        {.what = "named file behind a link", .named = true, .change = Change::Link, .refusal = "it is a symbolic link"},
        {.what = "folder behind a link", .change = Change::Link, .target = Target::Folder,
         .refusal = "is a symbolic link"},
        {.what = "a folder above writable by others", .change = Change::Mode, .target = Target::Above, .mode = 0777,
         .refusal = "is writable by group or others"},
        {.what = "file with a second name", .named = true, .change = Change::SecondName,
         .refusal = "it has other names"},
        {.what = "SQLite's log beside it behind a link", .named = true, .change = Change::LinkedLog,
         .refusal = "-wal is not used: it is a symbolic link"},
        {.what = "a pipe in the file's place", .named = true, .change = Change::Pipe,
         .refusal = "it is not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (Skipped(c.change, c.what))
            continue;
        const Scratch scratch;
        // The registry's own folder (per user) or the one TARN_REGISTRY names a file in, and the one above it.
        const std::string above = c.named ? scratch / "" : scratch / "state";
        const std::string folder = c.named ? scratch / "named" : scratch / "state/tarn";
        const std::string file = folder + "/registry.db";
        if (c.named) {
            setenv("TARN_REGISTRY", file.c_str(), 1);
        } else {
            unsetenv("TARN_REGISTRY");
            setenv("XDG_STATE_HOME", above.c_str(), 1);
        }
        std::filesystem::create_directories(folder);
        ASSERT_EQ(RegOk, Write(kOld));
        Arrange(c.change, c.target == Target::File ? file : c.target == Target::Folder ? folder : above, c.mode,
                scratch);
        if (!c.refusal) {
            EXPECT_EQ(kOld, Read());
            EXPECT_EQ(RegOk, Write(kNew));
            EXPECT_EQ(kNew, Read());
            EXPECT_EQ(0600, Mode(file));
            if (!c.named) {
                EXPECT_EQ(0700, Mode(folder));
            }
            continue;
        }
        // Nothing written, here or through a link.
        const std::string before = FileText(scratch / "elsewhere") + FileText(file + "-wal");
        EXPECT_EQ("<result 5>", Read());
        EXPECT_EQ(RegAccessDenied, Write(kNew));
        EXPECT_EQ(before, FileText(scratch / "elsewhere") + FileText(file + "-wal"));
        EXPECT_NE(std::string::npos, g_reported.find("failed: registry: ")) << g_reported;
        EXPECT_NE(std::string::npos, g_reported.find(c.refusal)) << g_reported;
    }
}

// The installer's machine-wide file, under the user's own. (The test's own
// file stands in for it, so the test's user counts as root here.)
TEST(OwnFiles, MachineWideFileIsReadOnlyWhileOnlyRootCanChangeIt) {
    const struct {
        const char* what;
        Change change = Change::None;
        Target target = Target::File;
        mode_t mode = 0;
        bool read = false;
    } cases[] = {
        {.what = "installed as it should be", .read = true},
        {.what = "group-writable file", .change = Change::Mode, .mode = 0664},
        {.what = "folder writable by others", .change = Change::Mode, .target = Target::Folder, .mode = 0777},
        {.what = "file behind a link", .change = Change::Link},
        {.what = "file of another user", .change = Change::GiveAway},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (Skipped(c.change, c.what))
            continue;
        const Scratch scratch;
        const std::string folder = scratch / "machine", file = folder + "/registry.db";
        std::filesystem::create_directory(folder);
        ASSERT_EQ(0, chmod(folder.c_str(), 0755));
        setenv("TARN_REGISTRY", file.c_str(), 1);
        ASSERT_EQ(RegOk, Write(kOld));
        ASSERT_EQ(0, chmod(file.c_str(), 0644));
        unsetenv("TARN_REGISTRY");
        setenv("XDG_STATE_HOME", (scratch / "state").c_str(), 1);
        SetMachineRegistryFile(file.c_str());
        Arrange(c.change, c.target == Target::File ? file : folder, c.mode, scratch);
        EXPECT_EQ(c.read ? kOld : "<result 2>", Read());
        EXPECT_EQ(c.read, g_reported.find("registry: " + file + " is not read: ") == std::string::npos)
            << g_reported;
        // Reading made no file of the user's; a write makes one, whose values come first from then on.
        EXPECT_FALSE(std::filesystem::exists(scratch / "state"));
        if (c.read) {
            const std::string installed = FileText(file);
            EXPECT_EQ(RegOk, Write(kNew));
            EXPECT_EQ(kNew, Read());
            EXPECT_EQ(installed, FileText(file));
        }
    }
}

// A trace file is created 0600 and appended to only while it is the user's
// alone (what others may write is tightened); no link is followed.
TEST(OwnFiles, TraceFileIsTheUsersAlone) {
    const struct {
        const char* what;
        mode_t earlier = 0; // a trace that was there before, with this mode
        Change change = Change::None;
        bool used = true;
        mode_t mode = 0600; // afterwards, where it is used
    } cases[] = {
        {.what = "new"},
        {.what = "the user's, readable by all", .earlier = 0644, .mode = 0644},
        {.what = "writable by others: tightened", .earlier = 0666, .mode = 0644},
        {.what = "behind a link to no file", .change = Change::Link, .used = false},
        {.what = "a pipe", .change = Change::Pipe, .used = false},
        {.what = "another user's", .earlier = 0666, .change = Change::GiveAway, .used = false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (Skipped(c.change, c.what))
            continue;
        const Scratch scratch;
        const std::string file = scratch / "t.log";
        if (c.earlier) {
            std::ofstream(file) << "earlier\n";
            ASSERT_EQ(0, chmod(file.c_str(), c.earlier));
        }
        Arrange(c.change, file, 0, scratch);
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
        EXPECT_FALSE(std::filesystem::exists(scratch / "elsewhere"));
    }
}

} // namespace
