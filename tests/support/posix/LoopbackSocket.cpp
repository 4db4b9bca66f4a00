#include "tests/support/LoopbackSocket.h"

#include <cerrno>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

int Fd(Handle socket) { return static_cast<int>(socket); }

} // namespace

void Startup() {}

void Cleanup() {}

Handle Listen(std::uint16_t& port, int backlog) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return NoSocket;
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, backlog) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        close(fd);
        return NoSocket;
    }
    port = ntohs(address.sin_port);
    return fd;
}

Handle ConnectTo(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return NoSocket;
    const sockaddr_in address = Loopback(port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return NoSocket;
    }
    return fd;
}

Handle Accept(Handle listener) {
    const int fd = accept4(Fd(listener), nullptr, nullptr, SOCK_CLOEXEC);
    return fd < 0 ? NoSocket : fd;
}

int WaitReadable(Handle socket, int waitMs) {
    pollfd entry{Fd(socket), POLLIN, 0};
    const int ready = poll(&entry, 1, waitMs);
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    return ready > 0 ? 1 : 0;
}

int Receive(Handle socket, char* data, std::size_t capacity) {
    ssize_t got;
    do {
        got = recv(Fd(socket), data, capacity, 0);
    } while (got < 0 && errno == EINTR);
    return got < 0 ? -1 : static_cast<int>(got);
}

bool SendAll(Handle socket, const char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t sent = send(Fd(socket), data, count, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

void ShutdownSend(Handle socket) { shutdown(Fd(socket), SHUT_WR); }

void Close(Handle socket) { close(Fd(socket)); }

void Abort(Handle socket) {
    const linger hard{1, 0};
    setsockopt(Fd(socket), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close(Fd(socket));
}

std::uint16_t UnusedPort() {
    std::uint16_t port = 0;
    const Handle listener = Listen(port);
    if (listener != NoSocket)
        Close(listener);
    return port;
}

} // namespace loopback
} // namespace tarntest
