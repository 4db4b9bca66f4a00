#include "tests/support/LoopbackSocket.h"

#include <winsock2.h>

namespace tarntest {
namespace loopback {

namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

SOCKET Sock(Handle socket) { return static_cast<SOCKET>(socket); }

Handle ToHandle(SOCKET socket) { return socket == INVALID_SOCKET ? NoSocket : static_cast<Handle>(socket); }

} // namespace

void Startup() {
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
}

void Cleanup() { WSACleanup(); }

Handle Listen(std::uint16_t& port, int backlog) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return NoSocket;
    sockaddr_in address = Loopback(0);
    int size = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, backlog) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(s);
        return NoSocket;
    }
    port = ntohs(address.sin_port);
    return ToHandle(s);
}

Handle ConnectTo(std::uint16_t port) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return NoSocket;
    const sockaddr_in address = Loopback(port);
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closesocket(s);
        return NoSocket;
    }
    return ToHandle(s);
}

Handle Accept(Handle listener) { return ToHandle(accept(Sock(listener), nullptr, nullptr)); }

int WaitReadable(Handle socket, int waitMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(Sock(socket), &set);
    timeval timeout{waitMs / 1000, (waitMs % 1000) * 1000};
    const int ready = select(0, &set, nullptr, nullptr, &timeout);
    if (ready == SOCKET_ERROR)
        return -1;
    return ready > 0 ? 1 : 0;
}

int Receive(Handle socket, char* data, std::size_t capacity) {
    const int got = recv(Sock(socket), data, static_cast<int>(capacity), 0);
    return got == SOCKET_ERROR ? -1 : got;
}

bool SendAll(Handle socket, const char* data, std::size_t count) {
    while (count > 0) {
        const int sent = send(Sock(socket), data, static_cast<int>(count), 0);
        if (sent == SOCKET_ERROR || sent == 0)
            return false;
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

void ShutdownSend(Handle socket) { shutdown(Sock(socket), SD_SEND); }

void Close(Handle socket) { closesocket(Sock(socket)); }

void Abort(Handle socket) {
    const linger hard{1, 0};
    setsockopt(Sock(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    closesocket(Sock(socket));
}

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
