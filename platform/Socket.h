// The thin socket layer under the HTTP connection: WinSock 1.1 on Windows,
// BSD sockets elsewhere (start-up and clean-up are counted no-ops there).
//
// Every call returns what its WinSock counterpart returns; SocketLastError()
// then gives the platform's own error number (WSAGetLastError, errno, or
// h_errno after a failed resolution).
#ifndef TARN_PLATFORM_SOCKET_H
#define TARN_PLATFORM_SOCKET_H

#include <cstdint>

namespace platform {

using SocketHandle = std::uintptr_t;
constexpr SocketHandle InvalidSocket = ~SocketHandle(0);
constexpr int SocketError = -1;

struct Ipv4Endpoint {
    std::uint16_t port = 0;          // host byte order
    std::uint8_t address[4] = {};    // network byte order
};

// WSAStartup: 0 or its error number; granted receives the version word granted.
int SocketStartup(std::uint16_t requested, std::uint16_t& granted);
// WSACleanup: 0 or SocketError.
int SocketCleanup();
int SocketLastError();

// socket(AF_INET, SOCK_STREAM, 0), made non-blocking: no call below waits
// longer than the bound its caller gives. InvalidSocket on failure. Never 0,
// so 0 can stand for "no socket". On POSIX a closed peer never raises SIGPIPE.
SocketHandle SocketOpenStream();
// The first IPv4 address of host: a dotted address is read as it stands,
// only a name goes to gethostbyname.
bool ResolveHostIpv4(const char* host, std::uint8_t (&address)[4]);
// connect without waiting: 0 when made at once, SocketWouldBlock while the
// peer has not answered yet, or SocketError. Wait for the outcome with
// WaitForSocket (platform/Wait.h) for writing, then ask SocketConnectResult.
int SocketConnectStart(SocketHandle socket, const Ipv4Endpoint& endpoint);
// How the attempt SocketConnectStart left under way stands, without waiting:
// 0 when the connection is made, SocketWouldBlock while the peer has not
// answered, SocketError when the attempt failed (its error is the last error).
int SocketConnectState(SocketHandle socket, const Ipv4Endpoint& endpoint);
// After a wait for writing ended on a socket whose connection was under way:
// 0 when it is made, SocketError with the attempt's error.
int SocketConnectResult(SocketHandle socket);
// A connection attempt the peer neither accepted nor refused in time: sets
// the last error to the system's "timed out" and returns SocketError.
int SocketTimedOut();
// One system wait (poll/select) on this socket alone, for reading or for
// writing, of at most micros of real time: 1 ready, 0 time-out, SocketError.
// Only platform/Wait.cpp calls it: everybody else waits there.
int SocketPoll(SocketHandle socket, bool forWriting, std::int64_t micros);
// send / recv (flags 0) without waiting: a count, SocketWouldBlock when
// nothing can move yet, or SocketError.
constexpr int SocketWouldBlock = -2;
int SocketSend(SocketHandle socket, const void* data, int count);
int SocketReceive(SocketHandle socket, void* data, int count);
// closesocket: 0 or SocketError. Closing sends the same end of stream a
// shutdown of the sending side would.
int SocketClose(SocketHandle socket);

// Tests only: makes the next `times` calls of one kind fail with `error` as
// the last error. With error 0 the failure takes the call's quiet form:
// Startup grants version 2.2, Poll times out at once, Send and Receive
// return 0. Not reachable from the library's exports.
enum class SocketCall { Startup, Cleanup, Open, Resolve, Connect, Poll, Send, Receive, Close };
void FailSocketCalls(SocketCall call, int times, int error);
void ClearSocketFailures();

} // namespace platform

#endif
