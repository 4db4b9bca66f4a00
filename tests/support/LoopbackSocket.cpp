#include "tests/support/LoopbackSocket.h"

#include "SocketCalls.h"

namespace tarntest {
namespace loopback {

namespace {

using native::Socket;

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// An invalid socket (-1, or INVALID_SOCKET) becomes NoSocket.
Handle ToHandle(Socket socket) { return static_cast<Handle>(socket); }
Socket Sock(Handle socket) { return static_cast<Socket>(socket); }

// A new socket listening on 127.0.0.1 with backlog (port receives its
// number), or one connected to 127.0.0.1:port.
Handle Open(std::uint16_t& port, int backlog, bool listening) {
    const Socket s = socket(AF_INET, SOCK_STREAM, 0);
    if (ToHandle(s) == NoSocket)
        return NoSocket;
    sockaddr_in address = Loopback(listening ? 0 : port);
    native::AddressLength size = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    const bool ok = listening ? bind(s, any, size) == 0 && listen(s, backlog) == 0 && getsockname(s, any, &size) == 0
                              : connect(s, any, size) == 0;
    if (!ok) {
        native::CloseSocket(s);
        return NoSocket;
    }
    port = ntohs(address.sin_port);
    return ToHandle(s);
}

} // namespace

void Startup() { native::Startup(); }
void Cleanup() { native::Cleanup(); }

Handle Listen(std::uint16_t& port, int backlog) { return Open(port, backlog, true); }

Handle ConnectTo(std::uint16_t port) { return Open(port, 0, false); }

Handle Accept(Handle listener) { return ToHandle(accept(Sock(listener), nullptr, nullptr)); }

int WaitReadable(Handle socket, int waitMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(Sock(socket), &set);
    timeval timeout{waitMs / 1000, (waitMs % 1000) * 1000};
    const int ready = select(static_cast<int>(Sock(socket)) + 1, &set, nullptr, nullptr, &timeout);
    if (ready < 0)
        return native::Interrupted() ? 0 : -1;
    return ready > 0 ? 1 : 0;
}

int Receive(Handle socket, char* data, std::size_t capacity) {
    int got;
    do {
        got = static_cast<int>(recv(Sock(socket), data, static_cast<int>(capacity), 0));
    } while (got < 0 && native::Interrupted());
    return got < 0 ? -1 : got;
}

bool SendAll(Handle socket, const char* data, std::size_t count) {
    while (count > 0) {
        const int sent = static_cast<int>(send(Sock(socket), data, static_cast<int>(count), native::kSendFlags));
        if (sent < 0 && native::Interrupted())
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

void ShutdownSend(Handle socket) { shutdown(Sock(socket), native::kShutdownSend); }

void Close(Handle socket) { native::CloseSocket(Sock(socket)); }

std::uint16_t UnusedPort() {
    Startup();
    std::uint16_t port = 0;
    const Handle listener = Listen(port);
    if (listener != NoSocket)
        Close(listener);
    Cleanup();
    return port;
}

} // namespace loopback
} // namespace tarntest
