// "waiting for HOST:PORT ..." on stderr once a request has taken a second,
// only when stderr is a terminal, so scripts and logs stay quiet.
#ifndef TARN_TOOLS_TARN_WAITNOTICE_H
#define TARN_TOOLS_TARN_WAITNOTICE_H

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tarn {

class WaitNotice {
public:
    // Starts counting; the line names server (empty: no line).
    explicit WaitNotice(std::string server);
    // The wait is over: nothing more is shown.
    ~WaitNotice();
    WaitNotice(const WaitNotice&) = delete;
    WaitNotice& operator=(const WaitNotice&) = delete;

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    bool m_over = false;
    std::thread m_thread;
};

} // namespace tarn

#endif
