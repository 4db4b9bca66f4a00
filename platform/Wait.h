// The one place the library waits.
//
// Every wait names its own bound (a duration the caller states once, next to
// the step it bounds) and ends at the first of: what it waits for, that
// bound, the limits of the call it serves (a deadline, a stop request from
// another thread). Bounds are durations of the internal time scale, so unit
// tests reach a 60-second bound in 60 ms; a stop request is seen within
// StopLatencyMicros of real time whatever the scale, because a host that
// cancels a call waits in real time.
//
// Nothing here is reachable from the library's exports: the scale is a test
// setting, not a host's.
#ifndef TARN_PLATFORM_WAIT_H
#define TARN_PLATFORM_WAIT_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/Socket.h"

namespace platform {

// A stop request is noticed this soon (real time) by any wait in progress.
constexpr std::int64_t StopLatencyMicros = 20000;

// The time scale: a duration of micros lasts ScaledMicros(micros) of real
// time. Real time runs at 1,000,000 parts per million; a test that sets 1000
// makes every bound a thousand times shorter.
std::int64_t ScaledMicros(std::int64_t micros);
void SetTimeScalePpm(std::int64_t ppm);
std::int64_t TimeScalePpm();

using Clock = std::chrono::steady_clock;

// A point in real time by which something must be over, or none.
class Deadline {
public:
    // No deadline.
    Deadline() = default;
    // micros of scaled time from now.
    static Deadline In(std::int64_t micros);
    static Deadline At(Clock::time_point when) { return Deadline(when); }

    bool Set() const { return m_set; }
    bool Passed() const { return m_set && Clock::now() >= m_when; }
    // Real microseconds left (0 once passed); an hour without a deadline.
    std::int64_t MicrosLeft() const;
    // Whether this one comes first (a deadline that is not set comes last).
    bool Before(const Deadline& other) const;
    Deadline Earlier(const Deadline& other) const;

private:
    explicit Deadline(Clock::time_point when) : m_when(when), m_set(true) {}
    Clock::time_point m_when{};
    bool m_set = false;
};

// Stop requests for one source of calls: Stop() ends every wait of the calls
// that began before it; calls that begin after it are not affected.
class StopSource {
public:
    void Stop() { m_generation.fetch_add(1, std::memory_order_acq_rel); }
    std::uint64_t Generation() const { return m_generation.load(std::memory_order_acquire); }

private:
    std::atomic<std::uint64_t> m_generation{0};
};

// What one call watches: whether its source was stopped since it began.
class StopToken {
public:
    StopToken() = default; // never stopped
    explicit StopToken(const StopSource& source) : m_source(&source), m_seen(source.Generation()) {}
    bool Stopped() const { return m_source && m_source->Generation() != m_seen; }
    bool CanStop() const { return m_source != nullptr; }

private:
    const StopSource* m_source = nullptr;
    std::uint64_t m_seen = 0;
};

// The limits of the call a wait serves.
struct WaitLimits {
    Deadline deadline;
    StopToken stop;
};

// How a wait ended.
enum class WaitEnd {
    Ready,        // what was waited for happened
    BoundReached, // the wait's own bound ran out
    PastDeadline, // the call's deadline passed first
    Stopped,      // the call was stopped
    Failed,       // the system call failed (the socket layer's last error says why)
};

// Why a call may not go on: its stop request or its passed deadline; Ready
// when it may.
WaitEnd CheckLimits(const WaitLimits& limits);

enum class SocketEvent { Readable, Writable };

// Waits until socket is readable or writable (a failed connection attempt
// counts as writable), at most boundMicros of scaled time.
WaitEnd WaitForSocket(SocketHandle socket, SocketEvent event, std::int64_t boundMicros, const WaitLimits& limits);

// Waits boundMicros of scaled time unless the limits end it first;
// BoundReached when the whole pause was taken.
WaitEnd Pause(std::int64_t boundMicros, const WaitLimits& limits = {});

// Tries step() until it reports done, pausing pauseMicros between tries, for
// at most boundMicros: Ready when step succeeded, BoundReached when the bound
// ran out first. step returns true when done.
template <class Step>
WaitEnd RetryFor(std::int64_t boundMicros, std::int64_t pauseMicros, Step&& step, const WaitLimits& limits = {}) {
    const Deadline bound = Deadline::In(boundMicros);
    for (;;) {
        if (step())
            return WaitEnd::Ready;
        if (bound.Passed())
            return WaitEnd::BoundReached;
        if (const WaitEnd paused = Pause(pauseMicros, limits); paused != WaitEnd::BoundReached)
            return paused;
    }
}

// Waits on a condition variable until ready() holds (checked under lock),
// within the limits; no bound of its own. The notifier must notify after
// making ready() true.
template <class Ready>
WaitEnd WaitUntil(std::condition_variable& condition, std::unique_lock<std::mutex>& lock, Ready&& ready,
                  const WaitLimits& limits) {
    for (;;) {
        if (ready())
            return WaitEnd::Ready;
        if (const WaitEnd checked = CheckLimits(limits); checked != WaitEnd::Ready)
            return checked;
        std::int64_t slice = limits.deadline.MicrosLeft();
        if (limits.stop.CanStop() && slice > StopLatencyMicros)
            slice = StopLatencyMicros;
        condition.wait_for(lock, std::chrono::microseconds(slice));
    }
}

} // namespace platform

#endif
