#include "platform/SocketFaults.h"

#include <array>
#include <atomic>
#include <mutex>

namespace platform {

namespace {

constexpr std::size_t CallKinds = static_cast<std::size_t>(SocketCall::Close) + 1;

struct Fault {
    int times = 0;
    int error = 0;
};

std::atomic<bool> g_armed{false};
std::mutex g_mutex;
std::array<Fault, CallKinds> g_faults;

} // namespace

void FailSocketCalls(SocketCall call, int times, int error) {
    std::lock_guard<std::mutex> guard(g_mutex);
    g_faults[static_cast<std::size_t>(call)] = Fault{times, error};
    g_armed = true;
}

void ClearSocketFailures() {
    std::lock_guard<std::mutex> guard(g_mutex);
    g_faults.fill(Fault{});
    g_armed = false;
}

bool TakeSocketFault(SocketCall call, int& error) {
    if (!g_armed.load(std::memory_order_relaxed))
        return false;
    std::lock_guard<std::mutex> guard(g_mutex);
    Fault& fault = g_faults[static_cast<std::size_t>(call)];
    if (fault.times <= 0)
        return false;
    --fault.times;
    error = fault.error;
    return true;
}

} // namespace platform
