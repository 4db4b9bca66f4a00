// The trace file on Windows: made with owner-only access, and an existing
// one used only when it is the user's, its access narrowed the same way;
// never a folder or a file with another name. (That a link is never
// followed Wine cannot show: it follows every Unix link and makes none.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <windows.h>
#include <aclapi.h>

#include "platform/TraceOutput.h"
#include "tests/support/Files.h"

namespace {

// Whether anyone but this user (and the system itself) may write the file.
bool OthersMayWrite(const std::string& path) {
    HANDLE token = nullptr;
    BYTE user[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    DWORD size = 0;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    const bool known = GetTokenInformation(token, TokenUser, user, sizeof user, &size);
    CloseHandle(token);
    BYTE system[SECURITY_MAX_SID_SIZE];
    size = sizeof system;
    CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &size);
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!known || GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                        &acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    const DWORD writes =
        FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_WRITE | GENERIC_ALL;
    bool others = !acl; // no list at all: everyone may do anything
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (GetAce(acl, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            (ace->Mask & writes) && !EqualSid(&ace->SidStart, reinterpret_cast<TOKEN_USER*>(user)->User.Sid) &&
            !EqualSid(&ace->SidStart, system))
            others = true;
    }
    LocalFree(descriptor);
    return others;
}

// A file with text that everyone may change.
void MakeFile(const std::string& path, const char* text) {
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof everyone;
    BYTE list[256];
    auto* acl = reinterpret_cast<PACL>(list);
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size) &&
                InitializeAcl(acl, sizeof list, ACL_REVISION) &&
                AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, everyone) &&
                InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    CloseHandle(file);
}

TEST(TraceFile, IsAPlainFileOfTheUsersAlone) {
    const struct {
        const char* what;
        const char* destination;
        void (*arrange)(const tarntest::ScratchFolder&);
        bool used = true;
    } cases[] = {
        {.what = "new", .destination = "t.log", .arrange = [](const tarntest::ScratchFolder&) {}},
        {.what = "the user's, open to others", .destination = "t.log",
         .arrange = [](const tarntest::ScratchFolder& f) { MakeFile(f / "t.log", "earlier\n"); }},
        {.what = "a folder", .destination = "dir.log",
         .arrange = [](const tarntest::ScratchFolder& f) { CreateDirectoryA((f / "dir.log").c_str(), nullptr); },
         .used = false},
        {.what = "a file with a second name", .destination = "t.log",
         .arrange = [](const tarntest::ScratchFolder& f) {
             MakeFile(f / "t.log", "earlier\n");
             ASSERT_TRUE(CreateHardLinkA((f / "second.log").c_str(), (f / "t.log").c_str(), nullptr));
         },
         .used = false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const tarntest::ScratchFolder folder;
        c.arrange(folder);
        const std::string path = folder / c.destination;
        const std::string before = tarntest::FileText(path);
        {
            platform::TraceOutput output(path.c_str());
            EXPECT_EQ(c.used, !output.Failed());
            output.Write("line\n", 5);
        }
        EXPECT_EQ(c.used ? before + "line\n" : before, tarntest::FileText(path));
        if (c.used) {
            EXPECT_FALSE(OthersMayWrite(path));
        }
    }
}

} // namespace
