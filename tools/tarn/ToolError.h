// A failure that ends the command: main prints its text as one line on stderr.
#ifndef TARN_TOOLS_TARN_TOOLERROR_H
#define TARN_TOOLS_TARN_TOOLERROR_H

#include <stdexcept>
#include <string>

namespace tarn {

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& text) : std::runtime_error(text) {}
};

} // namespace tarn

#endif
