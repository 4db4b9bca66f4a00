// A failure that ends the command: main prints its text as one line on stderr
// and exits with its status.
#ifndef TARN_TOOLS_TARN_TOOLERROR_H
#define TARN_TOOLS_TARN_TOOLERROR_H

#include <stdexcept>
#include <string>

#include "ExitCode.h"

namespace tarn {

class ToolError : public std::runtime_error {
public:
    ToolError(const std::string& text, ExitCode status) : std::runtime_error(text), m_status(status) {}
    ExitCode Status() const { return m_status; }

private:
    ExitCode m_status;
};

} // namespace tarn

#endif
