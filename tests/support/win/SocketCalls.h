// What the loopback sockets of the tests need that differs on Windows.
#ifndef TARN_TESTS_SUPPORT_SOCKETCALLS_H
#define TARN_TESTS_SUPPORT_SOCKETCALLS_H

#include <winsock2.h>

namespace tarntest {
namespace native {

using Socket = SOCKET;
using AddressLength = int;
constexpr int kSendFlags = 0;
constexpr int kShutdownSend = SD_SEND;

// Balanced start-up and clean-up of WinSock.
inline void Startup() {
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
}
inline void Cleanup() { WSACleanup(); }
inline void CloseSocket(Socket socket) { closesocket(socket); }
inline bool Interrupted() { return false; }

} // namespace native
} // namespace tarntest

#endif
