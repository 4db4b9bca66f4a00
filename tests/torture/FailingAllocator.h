// An allocator for torture runs: the global operator new (every variant) and
// SQLite's allocator count the allocations made on armed threads and fail
// the Nth one. Install() must run before anything uses SQLite.
#ifndef TARN_TESTS_TORTURE_FAILINGALLOCATOR_H
#define TARN_TESTS_TORTURE_FAILINGALLOCATOR_H

namespace torture {

// Routes SQLite's allocations through the counter.
void Install();

// Counts the calling thread's allocations from now on; the failAt-th one
// (1-based) fails, none when failAt is 0. The count starts again at 0.
void Arm(long failAt);
// Stops counting on the calling thread; the allocations counted so far.
long Disarm();

// The harness's own allocations while armed (building its records of what
// the library handed out) are neither counted nor failed.
class Paused {
public:
    Paused();
    ~Paused();
    Paused(const Paused&) = delete;
    Paused& operator=(const Paused&) = delete;

private:
    bool m_wasArmed;
};

} // namespace torture

#endif
