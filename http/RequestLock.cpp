#include "http/RequestLock.h"

#include <condition_variable>
#include <mutex>

#include "http/CHttpException.h"
#include "messages/Trace.h"
#include "vcom/ProcessWide.h"

namespace http {

namespace {

// Process-wide: a thread still waiting its turn when the process exits
// finds it in place.
struct RequestLock {
    std::mutex mutex;
    std::condition_variable free;
    bool busy = false;
};

RequestLock& Lock() { return vcom::ProcessWide<RequestLock>(); }

} // namespace

RequestTurn::RequestTurn(const platform::WaitLimits& call) {
    RequestLock& lock = Lock();
    std::unique_lock<std::mutex> guard(lock.mutex);
    const platform::WaitEnd end = platform::WaitUntil(lock.free, guard, [&] { return !lock.busy; }, call);
    if (end == platform::WaitEnd::Ready) {
        lock.busy = true;
        return;
    }
    guard.unlock();
    if (end == platform::WaitEnd::Stopped) {
        tarnClientLib::TraceFailed(tarnclient::CallCancelled, "cancelled while waiting for another exchange to end");
        CHttpException::Raise("CHttp : cancelled while waiting for another exchange to end");
    }
    tarnClientLib::TraceFailed(tarnclient::CallPastDeadline,
                               "past the deadline while waiting for another exchange to end");
    CHttpException::Raise("CHttp : past the deadline while waiting for another exchange to end");
}

RequestTurn::~RequestTurn() {
    RequestLock& lock = Lock();
    {
        std::lock_guard<std::mutex> guard(lock.mutex);
        lock.busy = false;
    }
    // All: one that wakes only to find its call stopped leaves the turn to the others.
    lock.free.notify_all();
}

} // namespace http
