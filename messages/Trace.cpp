#include "messages/Trace.h"

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>

#include "messages/Immortal.h"
#include "messages/SecretText.h"
#include "platform/TraceOutput.h"
#include "vcom/CriticalSection.h"

namespace tarnClientLib {

namespace {

constexpr char DestinationVariable[] = "TARN_TRACE";

enum class Mode { Unread, Off, On };

// Asked by every trace call, so it is a plain constant-initialised global
// that takes no guard of a function's static to reach.
std::atomic<Mode> g_mode{Mode::Unread};

struct TraceState {
    // Guards output and keeps the records of this process apart.
    vcom::CriticalSection lock;
    std::unique_ptr<platform::TraceOutput> output;
};

TraceState& State() {
    static Immortal<TraceState> state;
    return state.get();
}

// Opens destination (null: none); call under the lock.
void Open(TraceState& state, const char* destination) {
    state.output.reset();
    if (destination) {
        auto output = std::make_unique<platform::TraceOutput>(destination);
        if (!output->Failed())
            state.output = std::move(output);
    }
    g_mode.store(state.output ? Mode::On : Mode::Off, std::memory_order_release);
}

// The first trace call reads the environment.
bool ReadDestination() {
    TraceState& state = State();
    vcom::ScopedLock guard(state.lock);
    if (g_mode.load() == Mode::Unread) {
        std::string destination;
        const bool set = platform::EnvironmentValue(DestinationVariable, destination) && !destination.empty();
        Open(state, set ? destination.c_str() : nullptr);
    }
    return g_mode.load() == Mode::On;
}

bool Enabled() {
    const Mode mode = g_mode.load(std::memory_order_acquire);
    return mode == Mode::Unread ? ReadDestination() : mode == Mode::On;
}

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

// Each non-empty line of text behind the time stamp, the thread and marker.
void Write(const char* marker, const char* format, va_list args) noexcept {
    try {
        const std::string text = MaskSecrets(Format(format, args));
        const std::string prefix =
            TimeStamp() + " [" + std::to_string(platform::CurrentThreadNumber()) + "] " + marker;
        std::string record;
        for (std::size_t begin = 0; begin < text.size();) {
            std::size_t end = text.find('\n', begin);
            if (end == std::string::npos)
                end = text.size();
            std::size_t stop = end;
            if (stop > begin && text[stop - 1] == '\r')
                --stop;
            if (stop > begin)
                record.append(prefix).append(text, begin, stop - begin).append(1, '\n');
            begin = end + 1;
        }
        if (record.empty())
            return;
        TraceState& state = State();
        vcom::ScopedLock guard(state.lock);
        if (state.output)
            state.output->Write(record.data(), record.size());
    } catch (...) {
        // A trace that cannot be written is dropped; it never fails a call.
    }
}

} // namespace

void Trace(const char* format, ...) {
    if (!Enabled())
        return;
    va_list args;
    va_start(args, format);
    Write("", format, args);
    va_end(args);
}

void TraceFailed(const char* format, ...) {
    if (!Enabled())
        return;
    va_list args;
    va_start(args, format);
    Write("failed: ", format, args);
    va_end(args);
}

void TraceRefused(const char* format, ...) {
    if (!Enabled())
        return;
    va_list args;
    va_start(args, format);
    Write("refused: ", format, args);
    va_end(args);
}

bool Tracing() { return Enabled(); }

void SetTraceDestination(const char* destination) {
    TraceState& state = State();
    vcom::ScopedLock guard(state.lock);
    Open(state, destination);
}

} // namespace tarnClientLib
