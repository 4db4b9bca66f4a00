// The library's trace as tarn reads it: unless the user chose a destination
// with TARN_TRACE, tarn points it at a private temporary file for its own
// process (before the library first traces, which is when the library reads
// the variable) and deletes the file at the end, an interrupted end too. After a failure, the last
// line in which the library named a failing step is the cause tarn reports.
#ifndef TARN_TOOLS_TARN_TRACECAPTURE_H
#define TARN_TOOLS_TARN_TRACECAPTURE_H

#include <optional>
#include <string>

#include "ExitCode.h"
#include "Interrupt.h"

namespace tarn {

struct FailureCause {
    std::string text;            // e.g. "cannot connect to 127.0.0.1:1: connection refused (111)"; empty: unknown
    ExitCode status = ExitFailed; // ExitRefused when the server answered no
};

class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    // The last failing step traced since tarn started.
    FailureCause LastCause() const;

private:
    std::string m_path;           // empty: nothing to read (the trace goes to stderr, or nowhere)
    bool m_owned = false;         // the file is tarn's own and is deleted
    std::optional<UndoOnInterrupt> m_removeOnInterrupt;
    unsigned long long m_from = 0; // where this process's lines begin in a user's file
};

} // namespace tarn

#endif
