#include "FailureLines.h"

#include <cstring>

#include <tarnclient/TarnClient.h>

namespace tarn {

namespace {

struct Marker {
    const char* text;
    ExitCode status;
};
// Written by the library after the time stamp and thread: "... [1234] failed: ...".
constexpr Marker Markers[] = {{"] failed: ", ExitFailed}, {"] refused: ", ExitRefused}};

} // namespace

FailureLines::FailureLines() { TarnClientLib_SetTraceSink(&FailureLines::Receive, this); }

FailureLines::~FailureLines() { TarnClientLib_SetTraceSink(nullptr, nullptr); }

void FailureLines::Mark() {
    const std::lock_guard<std::mutex> guard(m_lock);
    m_first = FailureCause();
}

FailureCause FailureLines::First() const {
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_first;
}

// Called on whichever thread traced; it must not call the library.
void FailureLines::Receive(void* context, const char* line) {
    auto& lines = *static_cast<FailureLines*>(context);
    for (const Marker& marker : Markers) {
        const char* at = std::strstr(line, marker.text);
        if (!at)
            continue;
        const std::lock_guard<std::mutex> guard(lines.m_lock);
        if (lines.m_first.text.empty())
            lines.m_first = FailureCause{at + std::strlen(marker.text), marker.status};
        return;
    }
}

} // namespace tarn
