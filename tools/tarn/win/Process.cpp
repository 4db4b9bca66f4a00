#include "../Process.h"

#include <cstdio>
#include <io.h>
#include <vector>
#include <windows.h>

namespace tarn {

// The process environment block, which the library reads.
bool GetEnvironment(const char* name, std::string& value) {
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

void SetEnvironment(const char* name, const std::string& value) { SetEnvironmentVariableA(name, value.c_str()); }

// In the user's own temporary folder, which other users cannot read.
std::string CreatePrivateTempFile() {
    char folder[MAX_PATH + 1];
    char path[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameA(folder, "trn", 0, path) == 0)
        return std::string();
    return path;
}

bool ErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

} // namespace tarn
