#include "Interrupt.h"

#include <atomic>
#include <list>
#include <mutex>
#include <utility>

namespace tarn {

namespace {

struct Undos {
    std::mutex lock;
    std::list<const std::function<void()>*> pending;
    tarnclient::ICallControl* call = nullptr; // the call an interruption stops
    int readers = 0;                          // ReadingFromUser guards alive
};

Undos& Registered() {
    static Undos undos;
    return undos;
}

std::atomic<bool> g_watchClosed{false};
std::atomic<int> g_interruptSignal{0};

} // namespace

UndoOnInterrupt::UndoOnInterrupt(std::function<void()> undo) : m_undo(std::move(undo)) {
    Undos& undos = Registered();
    const std::lock_guard<std::mutex> guard(undos.lock);
    undos.pending.push_front(&m_undo);
}

UndoOnInterrupt::~UndoOnInterrupt() {
    Undos& undos = Registered();
    const std::lock_guard<std::mutex> guard(undos.lock);
    undos.pending.remove(&m_undo);
}

CancelOnInterrupt::CancelOnInterrupt(tarnclient::ICallControl& control) {
    Undos& undos = Registered();
    const std::lock_guard<std::mutex> guard(undos.lock);
    undos.call = &control;
}

CancelOnInterrupt::~CancelOnInterrupt() {
    Undos& undos = Registered();
    const std::lock_guard<std::mutex> guard(undos.lock);
    undos.call = nullptr;
}

ReadingFromUser::ReadingFromUser() {
    Undos& undos = Registered();
    const std::lock_guard<std::mutex> guard(undos.lock);
    ++undos.readers;
}

ReadingFromUser::~ReadingFromUser() {
    Undos& undos = Registered();
    const std::lock_guard<std::mutex> guard(undos.lock);
    --undos.readers;
}

int InterruptSignal() { return g_interruptSignal; }

bool OnInterrupt(int signal) {
    if (g_watchClosed)
        EndAsInterrupted(signal);
    Undos& undos = Registered();
    // Held to the end: nothing is registered or undone by another thread meanwhile.
    undos.lock.lock();
    // Cancel never waits on the network, so it is called under the lock.
    int none = 0;
    if (!g_watchClosed && undos.call && undos.readers == 0 && g_interruptSignal.compare_exchange_strong(none, signal)) {
        undos.call->Cancel();
        undos.lock.unlock();
        return true;
    }
    if (!g_watchClosed) {
        for (const std::function<void()>* undo : undos.pending)
            (*undo)();
    }
    EndAsInterrupted(signal);
}

void CloseWatch() {
    Undos& undos = Registered();
    const std::lock_guard<std::mutex> guard(undos.lock);
    g_watchClosed = true;
}

} // namespace tarn
