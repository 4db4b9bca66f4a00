// The check of --server HOST:PORT, made before any request.
#ifndef TARN_TOOLS_TARN_SERVEROPTION_H
#define TARN_TOOLS_TARN_SERVEROPTION_H

#include <string>

namespace tarn {

// Empty when text is a numeric IPv4 address or a host name, a colon and a
// port from 1 to 65535; otherwise what is wrong with it.
std::string ServerAddressProblem(const std::string& text);

} // namespace tarn

#endif
