#include "platform/Time.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<std::int64_t> g_scalePpm{1000000};
}

void SetTimeScalePpm(std::int64_t ppm) { g_scalePpm = ppm > 0 ? ppm : 1; }

std::int64_t TimeScalePpm() { return g_scalePpm; }

std::int64_t ScaledMicros(std::int64_t micros) { return micros * g_scalePpm / 1000000; }

} // namespace platform
