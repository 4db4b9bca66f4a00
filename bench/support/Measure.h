// What every benchmark measures per request, and how it reports it: wall and
// CPU time of the calling thread, median and 90th percentile, and the peak
// resident memory of the process.
#ifndef TARN_BENCH_MEASURE_H
#define TARN_BENCH_MEASURE_H

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

// Wall and CPU time of one request, in microseconds.
struct Sample {
    double wallUs = 0;
    double cpuUs = 0;
};

// Times one request: wall clock and the CPU time of this thread (user and
// system), which leaves out the server's work.
class Stopwatch {
public:
    Stopwatch();
    Sample Stop() const;

private:
    double m_wallStart;
    double m_cpuStart;
};

struct Summary {
    double wallMedian = 0;
    double wallP90 = 0;
    double cpuMedian = 0;
    double cpuP90 = 0;
};

Summary Summarise(const std::vector<Sample>& samples);

// The process's peak resident memory so far (VmHWM), in bytes; 0 if unknown.
std::size_t PeakResidentBytes();

// Runs contenders[i](samples[i]) once each per round, in an order rotated
// every round, so that no contender always runs first or after the same one.
template <class Contender>
void Interleave(std::vector<Contender>& contenders, std::vector<std::vector<Sample>>& samples, int rounds) {
    const std::size_t n = contenders.size();
    samples.assign(n, {});
    for (auto& s : samples)
        s.reserve(static_cast<std::size_t>(rounds));
    for (int round = 0; round < rounds; ++round)
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = (static_cast<std::size_t>(round) + k) % n;
            samples[i].push_back(contenders[i]());
        }
}

// Prints the message and ends the process with a failure.
[[noreturn]] void Die(const std::string& message);

} // namespace bench

#endif
