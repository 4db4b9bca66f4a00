#include "platform/Time.h"

#include <windows.h>

namespace platform {

void SleepMs(std::uint32_t ms) { Sleep(static_cast<DWORD>(ScaledMicros(std::int64_t(ms) * 1000) / 1000)); }

} // namespace platform
