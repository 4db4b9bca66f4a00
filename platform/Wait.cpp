#include "platform/Wait.h"

#include <algorithm>
#include <thread>

namespace platform {

namespace {

constexpr std::int64_t RealTimePpm = 1000000;
// What MicrosLeft gives without a deadline: a wait of that long is only one
// slice of a wait without end, and no clock arithmetic overflows with it.
constexpr std::int64_t Forever = 3600LL * 1000000;

std::atomic<std::int64_t> g_scalePpm{RealTimePpm};

std::int64_t MicrosUntil(Clock::time_point when) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(when - Clock::now()).count();
    return std::max<std::int64_t>(left, 0);
}

// The next slice of a wait that ends at end (bound and call deadline
// combined): short enough to notice a stop request when the call can be
// stopped.
std::int64_t Slice(const Deadline& end, const StopToken& stop) {
    const std::int64_t left = end.MicrosLeft();
    return stop.CanStop() ? std::min(left, StopLatencyMicros) : left;
}

// The wait that ended without its event: whose limit ran out? When both
// have passed by now, the earlier one ended it.
WaitEnd Expired(const WaitLimits& limits, const Deadline& bound) {
    if (limits.stop.Stopped())
        return WaitEnd::Stopped;
    return limits.deadline.Passed() && !bound.Before(limits.deadline) ? WaitEnd::PastDeadline : WaitEnd::BoundReached;
}

} // namespace

std::int64_t ScaledMicros(std::int64_t micros) { return micros * g_scalePpm.load() / RealTimePpm; }

void SetTimeScalePpm(std::int64_t ppm) { g_scalePpm = ppm > 0 ? ppm : 1; }

std::int64_t TimeScalePpm() { return g_scalePpm.load(); }

Deadline Deadline::In(std::int64_t micros) {
    return Deadline(Clock::now() + std::chrono::microseconds(std::max<std::int64_t>(ScaledMicros(micros), 0)));
}

std::int64_t Deadline::MicrosLeft() const { return m_set ? MicrosUntil(m_when) : Forever; }

bool Deadline::Before(const Deadline& other) const { return m_set && (!other.m_set || m_when < other.m_when); }

Deadline Deadline::Earlier(const Deadline& other) const { return other.Before(*this) ? other : *this; }

WaitEnd CheckLimits(const WaitLimits& limits) {
    if (limits.stop.Stopped())
        return WaitEnd::Stopped;
    if (limits.deadline.Passed())
        return WaitEnd::PastDeadline;
    return WaitEnd::Ready;
}

WaitEnd WaitForSocket(SocketHandle socket, SocketEvent event, std::int64_t boundMicros, const WaitLimits& limits) {
    const Deadline bound = Deadline::In(boundMicros);
    const Deadline end = bound.Earlier(limits.deadline);
    for (;;) {
        if (const WaitEnd checked = CheckLimits(limits); checked != WaitEnd::Ready)
            return checked;
        const int ready = SocketPoll(socket, event == SocketEvent::Writable, Slice(end, limits.stop));
        if (ready == SocketError)
            return WaitEnd::Failed;
        if (ready > 0)
            return WaitEnd::Ready;
        if (end.Passed())
            return Expired(limits, bound);
    }
}

WaitEnd Pause(std::int64_t boundMicros, const WaitLimits& limits) {
    const Deadline bound = Deadline::In(boundMicros);
    const Deadline end = bound.Earlier(limits.deadline);
    for (;;) {
        if (const WaitEnd checked = CheckLimits(limits); checked != WaitEnd::Ready)
            return checked;
        if (end.Passed())
            return Expired(limits, bound);
        std::this_thread::sleep_for(std::chrono::microseconds(Slice(end, limits.stop)));
    }
}

} // namespace platform
