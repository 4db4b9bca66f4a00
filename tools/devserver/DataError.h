// A data set that cannot be used: the line of the offending text and why.
#ifndef TARN_TOOLS_DEVSERVER_DATAERROR_H
#define TARN_TOOLS_DEVSERVER_DATAERROR_H

#include <stdexcept>
#include <string>

namespace devserver {

class DataError : public std::runtime_error {
public:
    DataError(int line, const std::string& reason)
        : std::runtime_error("line " + std::to_string(line) + ": " + reason), m_line(line), m_reason(reason) {}

    int Line() const { return m_line; }
    const std::string& Reason() const { return m_reason; }

private:
    int m_line;
    std::string m_reason;
};

} // namespace devserver

#endif
