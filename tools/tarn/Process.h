// The part of tarn's process handling that differs between targets (posix/
// and win/): whether stderr is a terminal.
#ifndef TARN_TOOLS_TARN_PROCESS_H
#define TARN_TOOLS_TARN_PROCESS_H

namespace tarn {

// Whether standard error is an interactive terminal.
bool ErrorIsTerminal();

} // namespace tarn

#endif
