#include "StopSignal.h"

#include <chrono>

namespace devserver {

void StopSignal::Raise() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_raised = true;
    }
    m_changed.notify_all();
}

bool StopSignal::Raised() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_raised;
}

bool StopSignal::WaitFor(int ms) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_raised; });
}

} // namespace devserver
