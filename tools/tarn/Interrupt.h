// How tarn ends when it is interrupted: SIGINT, SIGTERM or SIGHUP (Windows:
// Ctrl-C, Ctrl-Break, the console closing, logoff, shutdown). Whatever tarn
// changed outside itself is put back first (the terminal's echo, its
// temporary files); then it ends as the signal would have ended it (Windows:
// with status 130).
//
// One thread receives every such signal and hands it to OnInterrupt, the one
// place that decides what an interruption does.
#ifndef TARN_TOOLS_TARN_INTERRUPT_H
#define TARN_TOOLS_TARN_INTERRUPT_H

#include <functional>

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

// The watching thread's work: puts back what is registered, newest first,
// then ends the process. Never returns.
[[noreturn]] void OnInterrupt(int signal);
// From the end of the watch on, an interruption only ends the process: what
// was registered is gone, and so may be the registry itself once main
// returns. Waits for an interruption being handled (which ends the process).
void CloseWatch();

// The parts that differ between targets (posix/ and win/).
// Ends the process as signal would have ended it.
[[noreturn]] void EndAsInterrupted(int signal);

} // namespace tarn

#endif
