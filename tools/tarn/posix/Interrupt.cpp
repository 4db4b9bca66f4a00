#include "../Interrupt.h"

#include <csignal>
#include <thread>

#include <pthread.h>
#include <unistd.h>

namespace tarn {

namespace {

constexpr int Watched[] = {SIGINT, SIGTERM, SIGHUP};

// The watched signals tarn did not find ignored at its start.
sigset_t WatchedSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : Watched) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
            sigaddset(&set, signal);
    }
    return set;
}

} // namespace

// The signals stay blocked in every thread, so only sigwait takes them. The
// watcher is never joined: it waits until the process ends, serving a signal
// that comes during the exit too (with nothing left to undo).
InterruptWatch::InterruptWatch() {
    const sigset_t set = WatchedSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) == 0)
                OnInterrupt(signal);
        }
    }).detach();
}

InterruptWatch::~InterruptWatch() { CloseWatch(); }

void EndAsInterrupted(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);
}

} // namespace tarn
