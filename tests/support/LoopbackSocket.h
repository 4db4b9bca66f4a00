// The few socket calls the test servers need, on 127.0.0.1 only. Kept apart
// from the library's own socket layer so that a fault there cannot hide
// itself in the tests, and so the library's time scale does not apply.
#ifndef TARN_TESTS_SUPPORT_LOOPBACKSOCKET_H
#define TARN_TESTS_SUPPORT_LOOPBACKSOCKET_H

#include <cstddef>
#include <cstdint>

namespace tarntest {
namespace loopback {

using Handle = std::intptr_t;
constexpr Handle NoSocket = -1;

// Balanced start-up and clean-up of the socket library (WinSock).
void Startup();
void Cleanup();

// A socket listening on 127.0.0.1 on a port of the system's choosing;
// NoSocket on failure. With backlog 0, one connection that is never accepted
// fills the queue: later connection attempts are neither accepted nor refused.
Handle Listen(std::uint16_t& port, int backlog = 64);
// A client connection to 127.0.0.1:port; NoSocket on failure.
Handle ConnectTo(std::uint16_t port);
Handle Accept(Handle listener);
// 1 when readable (or closed), 0 after waitMs, -1 on error.
int WaitReadable(Handle socket, int waitMs);
// Bytes received, 0 when the peer closed, -1 on error.
int Receive(Handle socket, char* data, std::size_t capacity);
bool SendAll(Handle socket, const char* data, std::size_t count);
void ShutdownSend(Handle socket);
void Close(Handle socket);

// A port on 127.0.0.1 where nothing listens (bound, then released).
std::uint16_t UnusedPort();

} // namespace loopback
} // namespace tarntest

#endif
