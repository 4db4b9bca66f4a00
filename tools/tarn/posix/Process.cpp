#include "../Process.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace tarn {

bool GetEnvironment(const char* name, std::string& value) {
    const char* text = std::getenv(name);
    if (!text)
        return false;
    value = text;
    return true;
}

void SetEnvironment(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

std::string CreatePrivateTempFile() {
    std::string folder = "/tmp";
    GetEnvironment("TMPDIR", folder);
    std::string pattern = folder + "/tarn-trace-XXXXXX";
    std::vector<char> path(pattern.begin(), pattern.end());
    path.push_back('\0');
    // mkstemp creates the file with mode 0600.
    const int fd = mkstemp(path.data());
    if (fd < 0)
        return std::string();
    close(fd);
    return std::string(path.data());
}

bool ErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

} // namespace tarn
