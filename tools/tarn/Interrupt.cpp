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
};

Undos& Registered() {
    static Undos undos;
    return undos;
}

std::atomic<bool> g_watchClosed{false};

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

void OnInterrupt(int signal) {
    if (g_watchClosed)
        EndAsInterrupted(signal);
    Undos& undos = Registered();
    // Held to the end: nothing is registered or undone by another thread meanwhile.
    undos.lock.lock();
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
