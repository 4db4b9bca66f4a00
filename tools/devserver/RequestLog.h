// One line per request: local time, then what the handler says about it.
// Lines from concurrent requests never interleave.
#ifndef TARN_TOOLS_DEVSERVER_REQUESTLOG_H
#define TARN_TOOLS_DEVSERVER_REQUESTLOG_H

#include <mutex>
#include <ostream>
#include <string>

namespace devserver {

class RequestLog {
public:
    explicit RequestLog(std::ostream& out) : m_out(out) {}

    // Writes "YYYY-MM-DD HH:MM:SS.mmm text" and a line end, and flushes.
    void Write(const std::string& text);

private:
    std::mutex m_mutex;
    std::ostream& m_out;
};

} // namespace devserver

#endif
