// The parts of console input that differ between targets (posix/ and win/).
#ifndef TARN_TOOLS_TARN_TERMINAL_H
#define TARN_TOOLS_TARN_TERMINAL_H

#include <string>

namespace tarn {

// Whether standard input is an interactive terminal (not a pipe or a file).
bool InputIsTerminal();

// Reads one line from standard input with the terminal's echo off; false at
// the end of input.
bool ReadLineWithoutEcho(std::string& line);

} // namespace tarn

#endif
