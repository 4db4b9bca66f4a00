// How tarn ends when it is interrupted: SIGINT, SIGTERM or SIGHUP (Windows:
// Ctrl-C, Ctrl-Break, the console closing, logoff, shutdown). Whatever tarn
// changed outside itself is put back first (the terminal's echo, its
// temporary files); then it ends as the signal would have ended it (Windows:
// with status 130).
//
// One thread receives every such signal and hands it to OnInterrupt, the one
// place that decides what an interruption does. While tarn waits on a library
// call, the first interruption stops that call (ICallControl::Cancel) and
// tarn ends with status 130 once the call has returned; a second one, or one
// that comes while tarn reads what the user types, ends tarn at once.
#ifndef TARN_TOOLS_TARN_INTERRUPT_H
#define TARN_TOOLS_TARN_INTERRUPT_H

#include <functional>

#include <tarnclient/TarnClient.h>

namespace tarn {

// main keeps one for its whole run, made before any other thread starts
// (POSIX: the signals are blocked in every thread but the one that waits
// for them). A signal ignored when tarn started stays ignored.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;
};

// undo runs, on the watching thread, if tarn is interrupted while this lives.
class UndoOnInterrupt {
public:
    explicit UndoOnInterrupt(std::function<void()> undo);
    ~UndoOnInterrupt();
    UndoOnInterrupt(const UndoOnInterrupt&) = delete;
    UndoOnInterrupt& operator=(const UndoOnInterrupt&) = delete;

private:
    std::function<void()> m_undo;
};

// While it lives, an interruption stops the call in flight on control
// instead of ending tarn.
class CancelOnInterrupt {
public:
    explicit CancelOnInterrupt(tarnclient::ICallControl& control);
    ~CancelOnInterrupt();
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;
};

// While it lives, tarn waits for the user's typing, which no call's
// cancellation would end: an interruption ends tarn.
class ReadingFromUser {
public:
    ReadingFromUser();
    ~ReadingFromUser();
    ReadingFromUser(const ReadingFromUser&) = delete;
    ReadingFromUser& operator=(const ReadingFromUser&) = delete;
};

// The signal whose interruption stopped a call (0: none): tarn then ends
// with EndAsInterrupted(signal) once it has said why.
int InterruptSignal();

// The watching thread's work: stops the registered call and returns true,
// or puts back what is registered, newest first, and ends the process.
bool OnInterrupt(int signal);
// From the end of the watch on, an interruption only ends the process: what
// was registered is gone, and so may be the registry itself once main
// returns. Waits for an interruption being handled (which ends the process).
void CloseWatch();

// The parts that differ between targets (posix/ and win/).
// Ends the process as signal would have ended it.
[[noreturn]] void EndAsInterrupted(int signal);

} // namespace tarn

#endif
