// Why a call failed, kept for the host to read back.
//
// The step that fails traces one "failed:" or "refused:" line (Trace.h);
// while a FailureRecord is this thread's current one, that line's text and
// its kind are kept there as well, whether or not anything is traced. A
// record keeps its first failure: later lines of the same call are only the
// consequences of it.
#ifndef TARN_MESSAGES_FAILURERECORD_H
#define TARN_MESSAGES_FAILURERECORD_H

#include <string>
#include <utility>

#include <tarnclient/TarnClient.h>

namespace tarnClientLib {

class FailureRecord {
public:
    tarnclient::CallFailure Kind() const { return m_kind; }
    // One line, without the trace's time stamp, thread and marker.
    const std::string& Text() const { return m_text; }
    bool Failed() const { return m_kind != tarnclient::CallSucceeded; }

    // Keeps the first failure only.
    void Keep(tarnclient::CallFailure kind, std::string text);
    // The text, moved out (the kind stays).
    std::string TakeText() { return std::move(m_text); }

private:
    tarnclient::CallFailure m_kind = tarnclient::CallSucceeded;
    std::string m_text;
};

// While it lives, the failure lines of this thread go to record too. Scopes
// nest: the previous record is current again afterwards.
class RecordFailures {
public:
    explicit RecordFailures(FailureRecord& record);
    ~RecordFailures();
    RecordFailures(const RecordFailures&) = delete;
    RecordFailures& operator=(const RecordFailures&) = delete;

    // The calling thread's current record, or null.
    static FailureRecord* Current();

private:
    FailureRecord* m_previous;
};

} // namespace tarnClientLib

#endif
