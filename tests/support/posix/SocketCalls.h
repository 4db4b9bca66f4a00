// What the loopback sockets of the tests need that differs on POSIX.
#ifndef TARN_TESTS_SUPPORT_SOCKETCALLS_H
#define TARN_TESTS_SUPPORT_SOCKETCALLS_H

#include <cerrno>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarntest {
namespace native {

using Socket = int;
using AddressLength = socklen_t;
constexpr int kSendFlags = MSG_NOSIGNAL; // a closed peer fails the call instead of killing the process
constexpr int kShutdownSend = SHUT_WR;

inline void Startup() {}
inline void Cleanup() {}
inline void CloseSocket(Socket socket) { close(socket); }
// The last call was cut short by a signal and may be made again.
inline bool Interrupted() { return errno == EINTR; }

} // namespace native
} // namespace tarntest

#endif
