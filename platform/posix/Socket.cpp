#include "platform/Socket.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/SocketFaults.h"

namespace platform {

namespace {

// The version word of WinSock 1.1, the only one there is to grant here.
constexpr std::uint16_t GrantedVersion = 0x0101;
constexpr std::uint16_t FaultVersion = 0x0202;

#ifdef MSG_NOSIGNAL
constexpr int SendFlags = MSG_NOSIGNAL;
#else
constexpr int SendFlags = 0;
#endif

std::atomic<int> g_startups{0};
thread_local int g_lastError = 0;

int Fd(SocketHandle socket) { return static_cast<int>(socket); }

// Records the error of a failed call and gives the call's failure result.
int Failed(int error) {
    g_lastError = error;
    return SocketError;
}

sockaddr_in Peer(const Ipv4Endpoint& endpoint) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(endpoint.port);
    std::memcpy(&peer.sin_addr, endpoint.address, sizeof endpoint.address);
    return peer;
}

// The result of a connect() that returned rc. On loopback the peer has
// usually answered by the time connect() returns, yet it still reports
// EINPROGRESS: the caller learns the outcome from its first send.
int ConnectResult(int rc) {
    if (rc == 0 || errno == EISCONN)
        return 0;
    if (errno == EINPROGRESS || errno == EALREADY || errno == EINTR)
        return SocketWouldBlock;
    return Failed(errno);
}

// The result of a send or recv that did not move bytes.
int NotMoved(int error) {
    if (error == EAGAIN || error == EWOULDBLOCK)
        return SocketWouldBlock;
    return Failed(error);
}

} // namespace

int SocketStartup(std::uint16_t, std::uint16_t& granted) {
    int error = 0;
    const bool faulted = TakeSocketFault(SocketCall::Startup, error);
    if (faulted && error != 0)
        return error;
    granted = faulted ? FaultVersion : GrantedVersion;
    ++g_startups;
    return 0;
}

int SocketCleanup() {
    int error = 0;
    if (TakeSocketFault(SocketCall::Cleanup, error))
        return Failed(error);
    int count = g_startups.load();
    while (count > 0 && !g_startups.compare_exchange_weak(count, count - 1)) {
    }
    return count > 0 ? 0 : Failed(EINVAL);
}

int SocketLastError() { return g_lastError; }

SocketHandle SocketOpenStream() {
    int error = 0;
    if (TakeSocketFault(SocketCall::Open, error)) {
        Failed(error);
        return InvalidSocket;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        Failed(errno);
        return InvalidSocket;
    }
    if (fd == 0) {
        // 0 means "no socket" to the caller: move it out of the way.
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
        if (moved >= 0)
            fcntl(moved, F_SETFL, fcntl(moved, F_GETFL) | O_NONBLOCK);
        const int saved = errno;
        close(fd);
        if (moved < 0) {
            Failed(saved);
            return InvalidSocket;
        }
        fd = moved;
    }
#ifdef SO_NOSIGPIPE
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
    return static_cast<SocketHandle>(fd);
}

bool ResolveHostIpv4(const char* host, std::uint8_t (&address)[4]) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Resolve, error)) {
        Failed(error);
        return false;
    }
    // A dotted address needs no resolver (and no look at its configuration).
    in_addr numeric{};
    if (inet_pton(AF_INET, host, &numeric) == 1) {
        std::memcpy(address, &numeric, sizeof address);
        return true;
    }
    hostent entry{};
    hostent* result = nullptr;
    std::vector<char> scratch(1024);
    int hostError = 0;
    int rc = 0;
    while ((rc = gethostbyname_r(host, &entry, scratch.data(), scratch.size(), &result, &hostError)) == ERANGE)
        scratch.resize(scratch.size() * 2);
    if (rc != 0 || result == nullptr || result->h_addr_list == nullptr || result->h_addr_list[0] == nullptr) {
        Failed(hostError != 0 ? hostError : HOST_NOT_FOUND);
        return false;
    }
    std::memset(address, 0, sizeof address);
    std::memcpy(address, result->h_addr_list[0], std::min<std::size_t>(sizeof address, std::size_t(result->h_length)));
    return true;
}

int SocketConnectStart(SocketHandle socket, const Ipv4Endpoint& endpoint) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Connect, error))
        return Failed(error);
    const sockaddr_in peer = Peer(endpoint);
    const auto attempt = [&] { return connect(Fd(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer); };
    int rc = attempt();
    // After a failed attempt Linux keeps the socket "connecting" and answers
    // the next connect() with ECONNABORTED only to reset it: try once more.
    if (rc != 0 && errno == ECONNABORTED)
        rc = attempt();
    return ConnectResult(rc);
}

// A second connect() reports on the attempt under way without starting one.
int SocketConnectState(SocketHandle socket, const Ipv4Endpoint& endpoint) {
    const sockaddr_in peer = Peer(endpoint);
    return ConnectResult(connect(Fd(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer));
}

int SocketConnectResult(SocketHandle socket) {
    int failure = 0;
    socklen_t size = sizeof failure;
    if (getsockopt(Fd(socket), SOL_SOCKET, SO_ERROR, &failure, &size) != 0)
        return Failed(errno);
    return failure == 0 ? 0 : Failed(failure);
}

int SocketTimedOut() { return Failed(ETIMEDOUT); }

int SocketPoll(SocketHandle socket, bool forWriting, std::int64_t micros) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Poll, error))
        return error == 0 ? 0 : Failed(error);
    pollfd entry{Fd(socket), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    // Rounded up: a short wait must not turn into a spin.
    const int ms = static_cast<int>(std::clamp<std::int64_t>((micros + 999) / 1000, 0, INT_MAX));
    const int ready = poll(&entry, 1, ms);
    if (ready >= 0)
        return ready > 0 ? 1 : 0;
    // An interrupted wait is a short one: the caller's loop waits on.
    return errno == EINTR ? 0 : Failed(errno);
}

int SocketSend(SocketHandle socket, const void* data, int count) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Send, error))
        return error == 0 ? 0 : Failed(error);
    for (;;) {
        const ssize_t sent = send(Fd(socket), data, static_cast<std::size_t>(std::max(count, 0)), SendFlags);
        if (sent >= 0)
            return static_cast<int>(sent);
        if (errno != EINTR)
            return NotMoved(errno);
    }
}

int SocketReceive(SocketHandle socket, void* data, int count) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Receive, error))
        return error == 0 ? 0 : Failed(error);
    for (;;) {
        const ssize_t got = recv(Fd(socket), data, static_cast<std::size_t>(std::max(count, 0)), 0);
        if (got >= 0)
            return static_cast<int>(got);
        if (errno != EINTR)
            return NotMoved(errno);
    }
}

int SocketClose(SocketHandle socket) {
    // Not retried on EINTR: the descriptor is gone either way. A test's
    // failure still closes it, so nothing leaks.
    const int rc = close(Fd(socket));
    const int closeError = errno;
    int error = 0;
    if (TakeSocketFault(SocketCall::Close, error))
        return Failed(error);
    return rc == 0 ? 0 : Failed(closeError);
}

} // namespace platform
