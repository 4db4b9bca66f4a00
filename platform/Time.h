// Sleeping and the internal time scale.
//
// Every wait of the library goes through ScaledMicros() so that unit tests can
// reach the transport's long bounds (60-second waits, 16 one-second polls) in
// milliseconds. The scale is not reachable from the library's exports.
#ifndef TARN_PLATFORM_TIME_H
#define TARN_PLATFORM_TIME_H

#include <cstdint>

namespace platform {

// Sleeps for ms milliseconds of scaled time.
void SleepMs(std::uint32_t ms);

// Converts a duration in microseconds to the scaled duration.
std::int64_t ScaledMicros(std::int64_t micros);

// Tests only: real time runs at 1,000,000 parts per million. A test that sets
// 1000 makes every wait a thousand times shorter.
void SetTimeScalePpm(std::int64_t ppm);
std::int64_t TimeScalePpm();

} // namespace platform

#endif
