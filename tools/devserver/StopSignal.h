// Raised once when the server shuts down, so that requests kept waiting on
// purpose (delay, hang) end at once.
#ifndef TARN_TOOLS_DEVSERVER_STOPSIGNAL_H
#define TARN_TOOLS_DEVSERVER_STOPSIGNAL_H

#include <condition_variable>
#include <mutex>

namespace devserver {

class StopSignal {
public:
    void Raise();
    bool Raised() const;
    // Waits ms milliseconds; false when the signal was raised first.
    bool WaitFor(int ms) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_raised = false;
};

} // namespace devserver

#endif
