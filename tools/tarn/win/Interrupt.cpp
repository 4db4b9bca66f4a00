#include "../Interrupt.h"

#include <windows.h>

#include "../ExitCode.h"

namespace tarn {

namespace {

// Windows runs it on a thread of its own for each event. A stopped call is
// handled: the process goes on until main ends it.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        return OnInterrupt(static_cast<int>(event)) ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

} // namespace

InterruptWatch::InterruptWatch() { SetConsoleCtrlHandler(&OnConsoleEvent, TRUE); }

InterruptWatch::~InterruptWatch() {
    CloseWatch();
    SetConsoleCtrlHandler(&OnConsoleEvent, FALSE);
}

void EndAsInterrupted(int) { ExitProcess(ExitInterrupted); }

} // namespace tarn
