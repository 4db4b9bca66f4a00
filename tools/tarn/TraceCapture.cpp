#include "TraceCapture.h"

#include <cstdio>
#include <fstream>

#include "Process.h"

namespace tarn {

namespace {

constexpr char TraceVariable[] = "TARN_TRACE";
constexpr char StandardError[] = "stderr";

struct Marker {
    const char* text;
    ExitCode status;
};
// Written by the library after the time stamp and thread: "... [1234] failed: ...".
constexpr Marker Markers[] = {{"] failed: ", ExitFailed}, {"] refused: ", ExitRefused}};

} // namespace

TraceCapture::TraceCapture() {
    std::string chosen;
    if (GetEnvironment(TraceVariable, chosen) && !chosen.empty()) {
        if (chosen == StandardError)
            return;
        std::ifstream existing(chosen, std::ios::binary | std::ios::ate);
        if (existing)
            m_from = static_cast<unsigned long long>(existing.tellg());
        m_path = chosen;
        return;
    }
    m_path = CreatePrivateTempFile();
    if (m_path.empty())
        return;
    m_owned = true;
    m_removeOnInterrupt.emplace([path = m_path] { std::remove(path.c_str()); });
    SetEnvironment(TraceVariable, m_path);
}

TraceCapture::~TraceCapture() {
    if (m_owned)
        std::remove(m_path.c_str());
}

FailureCause TraceCapture::LastCause() const {
    FailureCause cause;
    if (m_path.empty())
        return cause;
    std::ifstream in(m_path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(m_from));
    for (std::string line; std::getline(in, line);) {
        for (const Marker& marker : Markers) {
            const std::string::size_type at = line.find(marker.text);
            if (at == std::string::npos)
                continue;
            cause.text = line.substr(at + std::char_traits<char>::length(marker.text));
            if (!cause.text.empty() && cause.text.back() == '\r')
                cause.text.pop_back();
            cause.status = marker.status;
            break;
        }
    }
    return cause;
}

} // namespace tarn
