#include "platform/TraceOutput.h"

#include <cstring>
#include <vector>

#include <windows.h>
#include <aclapi.h>

namespace platform {

namespace {
constexpr char StandardError[] = "stderr";

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// A security descriptor that lets this process's user alone in, inheriting
// nothing from the folder.
class OwnerOnly {
public:
    OwnerOnly() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        m_user.resize(size);
        const bool known = size && GetTokenInformation(token, TokenUser, m_user.data(), size, &size);
        CloseHandle(token);
        if (!known)
            return;
        PSID user = User();
        m_acl.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user));
        auto* acl = reinterpret_cast<PACL>(m_acl.data());
        m_ready = InitializeAcl(acl, static_cast<DWORD>(m_acl.size()), ACL_REVISION) &&
                  AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, user) &&
                  InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                  SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE) &&
                  SetSecurityDescriptorControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        m_attributes = {sizeof m_attributes, &m_descriptor, FALSE};
    }
    OwnerOnly(const OwnerOnly&) = delete;
    OwnerOnly& operator=(const OwnerOnly&) = delete;

    bool Ready() const { return m_ready; }
    SECURITY_ATTRIBUTES* Attributes() { return &m_attributes; }
    PSID User() { return reinterpret_cast<TOKEN_USER*>(m_user.data())->User.Sid; }
    PACL Acl() { return reinterpret_cast<PACL>(m_acl.data()); }

private:
    std::vector<BYTE> m_user;
    std::vector<BYTE> m_acl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
    bool m_ready = false;
};

// A file the trace may append to: a plain file with one name, not a link
// (opened as itself, never followed), and this user's. An existing one gets
// the owner-only access a new one is made with.
bool Acceptable(HANDLE file, bool existed, OwnerOnly& security) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        info.nNumberOfLinks != 1)
        return false;
    if (!existed)
        return true;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    const bool mine = owner && EqualSid(owner, security.User());
    LocalFree(descriptor);
    return mine && SetSecurityInfo(file, SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                   nullptr, security.Acl(), nullptr) == ERROR_SUCCESS;
}

} // namespace

TraceOutput::TraceOutput(const char* destination)
    : m_handle(reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)), m_owned(false) {
    if (std::strcmp(destination, StandardError) == 0) {
        HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        if (error && error != INVALID_HANDLE_VALUE)
            m_handle = reinterpret_cast<std::intptr_t>(error);
        return;
    }
    OwnerOnly security;
    if (!security.Ready())
        return;
    // Append-only access: every WriteFile lands whole at the end of the file.
    HANDLE file = CreateFileA(destination, FILE_APPEND_DATA | READ_CONTROL | WRITE_DAC | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, security.Attributes(),
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    if (!Acceptable(file, GetLastError() == ERROR_ALREADY_EXISTS, security)) {
        CloseHandle(file);
        return;
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    m_owned = true;
}

TraceOutput::~TraceOutput() {
    if (m_owned)
        CloseHandle(AsHandle(m_handle));
}

bool TraceOutput::Failed() const { return AsHandle(m_handle) == INVALID_HANDLE_VALUE; }

void TraceOutput::Write(const char* data, std::size_t size) {
    while (size > 0 && !Failed()) {
        DWORD written = 0;
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        if (!WriteFile(AsHandle(m_handle), data, chunk, &written, nullptr) || written == 0)
            return;
        data += written;
        size -= written;
    }
}

// The process's own environment block, which SetEnvironmentVariable changes
// whichever C runtime the host uses.
bool EnvironmentValue(const char* name, std::string& value) {
    const DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
    if (needed == 0)
        return false;
    std::vector<char> text(needed);
    const DWORD got = GetEnvironmentVariableA(name, text.data(), needed);
    if (got == 0 || got >= needed)
        return false;
    value.assign(text.data(), got);
    return true;
}

std::uint64_t CurrentThreadNumber() { return GetCurrentThreadId(); }

} // namespace platform
