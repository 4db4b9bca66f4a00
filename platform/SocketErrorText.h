// Words for the socket errors a user meets, for trace lines.
#ifndef TARN_PLATFORM_SOCKETERRORTEXT_H
#define TARN_PLATFORM_SOCKETERRORTEXT_H

#include <string>

namespace platform {

// error as SocketLastError() gives it, e.g. "connection refused (111)".
std::string SocketErrorText(int error);

} // namespace platform

#endif
