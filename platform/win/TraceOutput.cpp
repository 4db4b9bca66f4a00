#include "platform/TraceOutput.h"

#include <cstring>
#include <vector>

#include <windows.h>

namespace platform {

namespace {
constexpr char StandardError[] = "stderr";

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
} // namespace

TraceOutput::TraceOutput(const char* destination)
    : m_handle(reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)), m_owned(false) {
    if (std::strcmp(destination, StandardError) == 0) {
        HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        if (error && error != INVALID_HANDLE_VALUE)
            m_handle = reinterpret_cast<std::intptr_t>(error);
        return;
    }
    // Append-only access: every WriteFile lands whole at the end of the file.
    HANDLE file = CreateFileA(destination, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_handle = reinterpret_cast<std::intptr_t>(file);
    m_owned = file != INVALID_HANDLE_VALUE;
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
