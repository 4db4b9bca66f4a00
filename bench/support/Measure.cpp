#include "bench/support/Measure.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace bench {

namespace {

double WallUs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// The thread's user and system time, as getrusage(RUSAGE_THREAD) counts it
// but to the nanosecond: getrusage's split is kept in scheduler ticks, too
// coarse for a request of a few microseconds.
double ThreadCpuUs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

double Quantile(std::vector<double> values, double q) {
    if (values.empty())
        return 0;
    const auto at = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5);
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    return values[at];
}

} // namespace

Stopwatch::Stopwatch() : m_wallStart(WallUs()), m_cpuStart(ThreadCpuUs()) {}

Sample Stopwatch::Stop() const { return {WallUs() - m_wallStart, ThreadCpuUs() - m_cpuStart}; }

Summary Summarise(const std::vector<Sample>& samples) {
    std::vector<double> wall, cpu;
    for (const Sample& s : samples) {
        wall.push_back(s.wallUs);
        cpu.push_back(s.cpuUs);
    }
    return {Quantile(wall, 0.5), Quantile(wall, 0.9), Quantile(cpu, 0.5), Quantile(cpu, 0.9)};
}

std::size_t PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            std::size_t kb = 0;
            status >> kb;
            return kb * 1024;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

void Die(const std::string& message) {
    std::fprintf(stderr, "bench: %s\n", message.c_str());
    std::exit(1);
}

} // namespace bench
