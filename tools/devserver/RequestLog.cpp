#include "RequestLog.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace devserver {

namespace {

std::string Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    char withMs[48];
    std::snprintf(withMs, sizeof withMs, "%s.%03d", text, static_cast<int>(ms));
    return withMs;
}

} // namespace

void RequestLog::Write(const std::string& text) {
    // Selectors come from the client: a control character in them must not
    // start a line of its own.
    std::string line = Now() + " " + text;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    line += '\n';
    std::lock_guard<std::mutex> lock(m_mutex);
    m_out << line << std::flush;
}

} // namespace devserver
