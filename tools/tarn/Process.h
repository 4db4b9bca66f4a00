// The parts of tarn's process handling that differ between targets (posix/
// and win/): environment, private temporary files, whether stderr is a terminal.
#ifndef TARN_TOOLS_TARN_PROCESS_H
#define TARN_TOOLS_TARN_PROCESS_H

#include <string>

namespace tarn {

// The variable's value; false when it is unset.
bool GetEnvironment(const char* name, std::string& value);
// Sets the variable for this process (and what it starts).
void SetEnvironment(const char* name, const std::string& value);

// A new empty file that only this user can read; empty when none could be made.
std::string CreatePrivateTempFile();

// Whether standard error is an interactive terminal.
bool ErrorIsTerminal();

} // namespace tarn

#endif
