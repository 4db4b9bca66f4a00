// Where the diagnostic trace goes, and the facts each trace line carries that
// only the operating system knows.
//
// A destination is standard error or a file opened for appending (created
// with owner-only access when missing). Each Write is one system write of a
// whole record, so records of different processes appending to the same file
// do not cut into each other's lines.
#ifndef TARN_PLATFORM_TRACEOUTPUT_H
#define TARN_PLATFORM_TRACEOUTPUT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class TraceOutput {
public:
    // "stderr", or a file path. Failed() tells whether it could be opened.
    explicit TraceOutput(const char* destination);
    ~TraceOutput();
    TraceOutput(const TraceOutput&) = delete;
    TraceOutput& operator=(const TraceOutput&) = delete;

    bool Failed() const;
    // Writes size bytes in one system call where the system allows it.
    void Write(const char* data, std::size_t size);

private:
    std::intptr_t m_handle;
    bool m_owned;
};

// The value of an environment variable of the process; false when unset.
bool EnvironmentValue(const char* name, std::string& value);

// The calling thread's number as the system's tools show it.
std::uint64_t CurrentThreadNumber();

} // namespace platform

#endif
