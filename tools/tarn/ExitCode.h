// tarn's exit statuses, as `tarn --help` and the README list them.
#ifndef TARN_TOOLS_TARN_EXITCODE_H
#define TARN_TOOLS_TARN_EXITCODE_H

namespace tarn {

enum ExitCode : int {
    ExitSuccess = 0,
    ExitNotFound = 1,     // no server matches; no ticket because the login was given up
    ExitUsage = 2,        // a bad command line
    ExitRefused = 3,      // the server answered no: an HTTP error status or an application status
    ExitFailed = 4,       // the server was not reached, the reply was unreadable, or the library failed
    ExitInterrupted = 130 // Ctrl-C
};

// The text `tarn --help` ends with.
constexpr char ExitCodeHelp[] = "Exit status: 0 success, 1 nothing found, 2 usage, 3 refused by the server, "
                                "4 server not reached or failed request, 130 interrupted.";

} // namespace tarn

#endif
