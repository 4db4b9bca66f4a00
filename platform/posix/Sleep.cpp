#include "platform/Time.h"

#include <cerrno>
#include <ctime>

namespace platform {

void SleepMs(std::uint32_t ms) {
    const std::int64_t micros = ScaledMicros(std::int64_t(ms) * 1000);
    timespec wait{static_cast<time_t>(micros / 1000000), static_cast<long>(micros % 1000000) * 1000};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

} // namespace platform
