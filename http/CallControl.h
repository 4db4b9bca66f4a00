// Control over the calls of one service component (ICallControl): a host on
// another thread stops them, bounds them with a deadline, and reads why the
// last one failed.
//
// A component owns one CallControl and opens a Call for each operation that
// may reach the network. The Call gives every wait of that operation its
// limits (platform/Wait.h) and keeps the operation's failure line; when it
// ends, that line (or none, after a success) becomes the component's last
// failure.
#ifndef TARN_HTTP_CALLCONTROL_H
#define TARN_HTTP_CALLCONTROL_H

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include <tarnclient/TarnClient.h>

#include "messages/FailureRecord.h"
#include "platform/Wait.h"

namespace http {

class CallControl {
public:
    // The operations of ICallControl, as the header states them.
    std::int32_t Cancel();
    std::int32_t SetDeadline(std::int32_t milliseconds);
    char* GetLastFailure(std::int32_t* kind);

private:
    friend class Call;
    platform::StopSource m_stop;
    std::atomic<int> m_inFlight{0};
    std::atomic<std::int32_t> m_deadlineMillis{0};
    std::mutex m_lastLock;
    tarnclient::CallFailure m_lastKind = tarnclient::CallSucceeded;
    std::string m_lastText;
};

// One operation of the component, from its first step to its result.
class Call {
public:
    explicit Call(CallControl& control);
    // Stores the operation's failure, or none, as the component's last.
    ~Call();
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    const platform::WaitLimits& Limits() const { return m_limits; }
    // The first failure traced so far (CallSucceeded while none).
    tarnclient::CallFailure Failure() const { return m_record.Kind(); }

    // The operation's outcome. A failure that no step has traced yet is
    // traced now with code, so that every failed call has its cause.
    void Succeeded();
    void FailedWith(std::int32_t code);
    // A new attempt within the same operation: what failed before no longer
    // counts (a login prompted again).
    void Retry();

private:
    CallControl& m_control;
    platform::WaitLimits m_limits;
    tarnClientLib::FailureRecord m_record;
    tarnClientLib::RecordFailures m_scope;
    bool m_succeeded = false;
};

} // namespace http

#endif
