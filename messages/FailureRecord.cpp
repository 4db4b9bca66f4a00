#include "messages/FailureRecord.h"

#include <utility>

namespace tarnClientLib {

namespace {
thread_local FailureRecord* t_current = nullptr;
}

void FailureRecord::Keep(tarnclient::CallFailure kind, std::string text) {
    if (Failed() || kind == tarnclient::CallSucceeded)
        return;
    m_kind = kind;
    m_text = std::move(text);
}

RecordFailures::RecordFailures(FailureRecord& record) : m_previous(t_current) { t_current = &record; }

RecordFailures::~RecordFailures() { t_current = m_previous; }

FailureRecord* RecordFailures::Current() { return t_current; }

} // namespace tarnClientLib
