// The cause of a failure that leaves no component to ask: when a component
// cannot be created there is no ICallControl to read its last failure from,
// so tarn watches the library's trace lines through its trace sink (in
// memory; a TARN_TRACE destination is written as usual besides) and keeps
// the first failing step after Mark().
#ifndef TARN_TOOLS_TARN_FAILURELINES_H
#define TARN_TOOLS_TARN_FAILURELINES_H

#include <mutex>
#include <string>

#include "ExitCode.h"

namespace tarn {

struct FailureCause {
    std::string text;             // e.g. "no server location given, ..."; empty: none
    ExitCode status = ExitFailed; // ExitRefused when the server answered no
};

class FailureLines {
public:
    // Sets the library's trace sink for as long as it lives.
    FailureLines();
    ~FailureLines();
    FailureLines(const FailureLines&) = delete;
    FailureLines& operator=(const FailureLines&) = delete;

    // Forgets what was seen: the next failing step is the one First() gives.
    void Mark();
    FailureCause First() const;

private:
    static void Receive(void* context, const char* line);

    mutable std::mutex m_lock;
    FailureCause m_first;
};

} // namespace tarn

#endif
