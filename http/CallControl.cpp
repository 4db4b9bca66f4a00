#include "http/CallControl.h"

#include <string>

#include "messages/Trace.h"
#include "vcom/Codes.h"
#include "vcom/MemHolder.h"

namespace http {

namespace {

constexpr std::int64_t MicrosPerMilli = 1000;

tarnclient::CallFailure KindOfCode(std::int32_t code) {
    switch (code) {
    case vcom::InvalidArgument:
    case vcom::InvalidOutPointer: return tarnclient::CallBadArgument;
    case vcom::Cancelled: return tarnclient::CallCancelled;
    default: return tarnclient::CallNoReply;
    }
}

} // namespace

std::int32_t CallControl::Cancel() {
    if (m_inFlight.load(std::memory_order_acquire) == 0)
        return 1;
    m_stop.Stop();
    return 0;
}

std::int32_t CallControl::SetDeadline(std::int32_t milliseconds) {
    if (milliseconds < 0)
        return vcom::InvalidArgument;
    m_deadlineMillis.store(milliseconds, std::memory_order_release);
    return vcom::Success;
}

char* CallControl::GetLastFailure(std::int32_t* kind) {
    std::lock_guard<std::mutex> guard(m_lastLock);
    if (kind)
        *kind = m_lastKind;
    return m_lastKind == tarnclient::CallSucceeded ? nullptr : vcom::CopyOut(m_lastText);
}

Call::Call(CallControl& control) : m_control(control), m_scope(m_record) {
    // The token first: a Cancel that sees this call in flight stops after it.
    m_limits.stop = platform::StopToken(m_control.m_stop);
    m_control.m_inFlight.fetch_add(1, std::memory_order_acq_rel);
    if (const std::int32_t millis = m_control.m_deadlineMillis.load(std::memory_order_acquire))
        m_limits.deadline = platform::Deadline::In(millis * MicrosPerMilli);
}

Call::~Call() {
    m_control.m_inFlight.fetch_sub(1, std::memory_order_acq_rel);
    std::lock_guard<std::mutex> guard(m_control.m_lastLock);
    if (m_succeeded || !m_record.Failed()) {
        m_control.m_lastKind = tarnclient::CallSucceeded;
        m_control.m_lastText.clear();
        return;
    }
    m_control.m_lastKind = m_record.Kind();
    m_control.m_lastText = m_record.TakeText();
}

void Call::Succeeded() { m_succeeded = true; }

void Call::FailedWith(std::int32_t code) {
    m_succeeded = false;
    if (!m_record.Failed())
        tarnClientLib::TraceFailed(KindOfCode(code), "the call failed with code %d", code);
}

void Call::Retry() { m_record = tarnClientLib::FailureRecord(); }

} // namespace http
