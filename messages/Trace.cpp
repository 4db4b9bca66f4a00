#include "messages/Trace.h"

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>

#include "messages/FailureRecord.h"
#include "platform/TraceOutput.h"
#include "vcom/CriticalSection.h"
#include "vcom/ProcessWide.h"

namespace tarnClientLib {

namespace {

constexpr char DestinationVariable[] = "TARN_TRACE";

// Where lines go, asked by every trace call, so it is a plain
// constant-initialised global that takes no guard of a function's static to
// reach.
enum Outputs : unsigned { DestinationRead = 1, ToDestination = 2, ToSink = 4 };
std::atomic<unsigned> g_outputs{0};

struct TraceState {
    // Guards the outputs and keeps the records of this process apart.
    vcom::CriticalSection lock;
    std::unique_ptr<platform::TraceOutput> output;
    TraceSink sink = nullptr;
    void* context = nullptr;
};

TraceState& State() { return vcom::ProcessWide<TraceState>(); }

// Call under the lock, after changing an output.
void Publish(const TraceState& state) {
    g_outputs.store(DestinationRead | (state.output ? ToDestination : 0u) | (state.sink ? ToSink : 0u),
                    std::memory_order_release);
}

// Opens destination (null: none); call under the lock.
void Open(TraceState& state, const char* destination) {
    state.output.reset();
    if (destination) {
        auto output = std::make_unique<platform::TraceOutput>(destination);
        if (!output->Failed())
            state.output = std::move(output);
    }
    Publish(state);
}

// Opens what TARN_TRACE names, once; call under the lock.
void ReadDestinationOnce(TraceState& state) {
    if (g_outputs.load() & DestinationRead)
        return;
    std::string destination;
    const bool set = platform::EnvironmentValue(DestinationVariable, destination) && !destination.empty();
    Open(state, set ? destination.c_str() : nullptr);
}

// The first trace call reads the environment.
unsigned ReadDestination() {
    TraceState& state = State();
    vcom::ScopedLock guard(state.lock);
    ReadDestinationOnce(state);
    return g_outputs.load();
}

bool Enabled() {
    unsigned outputs = g_outputs.load(std::memory_order_acquire);
    if (!(outputs & DestinationRead))
        outputs = ReadDestination();
    return (outputs & (ToDestination | ToSink)) != 0;
}

void AppendEscaped(std::string& out, unsigned char c) {
    static const char digits[] = "0123456789abcdef";
    out.append("\\x").append(1, digits[c >> 4]).append(1, digits[c & 15]);
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

// "2024-05-01T12:34:56.789Z", from the days since 1970 by the civil calendar.
std::string TimeStamp() {
    using namespace std::chrono;
    const long long ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    const long long msPerDay = 86400000;
    long long days = ms / msPerDay;
    long long rest = ms % msPerDay;
    if (rest < 0) {
        rest += msPerDay;
        --days;
    }
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    const long long day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld.%03lldZ", year, month, day,
                  rest / 3600000, rest / 60000 % 60, rest / 1000 % 60, rest % 1000);
    return text;
}

std::string Format(const char* format, va_list args) {
    char small[512];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    std::string text;
    if (length < 0) {
        va_end(again);
        return text;
    }
    if (static_cast<std::size_t>(length) < sizeof small) {
        text.assign(small, static_cast<std::size_t>(length));
    } else {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(&text[0], text.size(), format, again);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(again);
    return text;
}

// Each non-empty line of text behind the time stamp, the thread and marker,
// its control characters escaped; a line ends at LF or CR LF.
std::string Lines(const char* marker, const std::string& text) {
    const std::string prefix = TimeStamp() + " [" + std::to_string(platform::CurrentThreadNumber()) + "] " + marker;
    std::string record;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        std::size_t stop = end;
        if (stop > begin && text[stop - 1] == '\r')
            --stop;
        if (stop > begin) {
            record.append(prefix);
            for (std::size_t i = begin; i < stop; ++i) {
                const auto c = static_cast<unsigned char>(text[i]);
                if (IsControl(c))
                    AppendEscaped(record, c);
                else
                    record.append(1, text[i]);
            }
            record.append(1, '\n');
        }
        begin = end + 1;
    }
    return record;
}

// Hands each line of record to the sink, without its line end.
void ToSinkLines(const TraceState& state, std::string& record) {
    for (std::size_t begin = 0; begin < record.size();) {
        const std::size_t end = record.find('\n', begin);
        record[end] = '\0';
        state.sink(state.context, record.c_str() + begin);
        record[end] = '\n';
        begin = end + 1;
    }
}

void Write(const char* marker, const std::string& text) noexcept {
    try {
        std::string record = Lines(marker, text);
        if (record.empty())
            return;
        TraceState& state = State();
        vcom::ScopedLock guard(state.lock);
        if (state.output)
            state.output->Write(record.data(), record.size());
        if (state.sink)
            ToSinkLines(state, record);
    } catch (...) {
        // A trace that cannot be written is dropped; it never fails a call.
    }
}

// A failure line: kept by the thread's record, written where lines go.
void WriteFailure(const char* marker, tarnclient::CallFailure kind, const char* format, va_list args) noexcept {
    FailureRecord* record = RecordFailures::Current();
    const bool enabled = Enabled();
    if (!record && !enabled)
        return;
    try {
        std::string text = Format(format, args);
        if (enabled)
            Write(marker, text);
        if (record)
            record->Keep(kind, Printable(text));
    } catch (...) {
        // As above: a failure that cannot be described is still a failure.
    }
}

} // namespace

void Trace(const char* format, ...) {
    if (!Enabled())
        return;
    va_list args;
    va_start(args, format);
    std::string text;
    try {
        text = Format(format, args);
    } catch (...) {
    }
    va_end(args);
    Write("", text);
}

void TraceFailed(tarnclient::CallFailure kind, const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteFailure("failed: ", kind, format, args);
    va_end(args);
}

void TraceRefused(const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteFailure("refused: ", tarnclient::CallRefused, format, args);
    va_end(args);
}

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (IsControl(static_cast<unsigned char>(c)))
            AppendEscaped(out, static_cast<unsigned char>(c));
        else
            out.append(1, c);
    }
    return out;
}

bool Tracing() { return Enabled(); }

void SetTraceSink(TraceSink sink, void* context) {
    TraceState& state = State();
    vcom::ScopedLock guard(state.lock);
    // The destination is read first, so that setting a sink does not hide it.
    ReadDestinationOnce(state);
    state.sink = sink;
    state.context = sink ? context : nullptr;
    Publish(state);
}

void SetTraceDestination(const char* destination) {
    TraceState& state = State();
    vcom::ScopedLock guard(state.lock);
    Open(state, destination);
}

} // namespace tarnClientLib
