#include "platform/Socket.h"

#include <algorithm>
#include <cstring>

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/SocketFaults.h"

namespace platform {

namespace {

constexpr std::uint16_t FaultVersion = 0x0202;

SOCKET Sock(SocketHandle socket) { return static_cast<SOCKET>(socket); }

int Failed(int error) {
    WSASetLastError(error);
    return SocketError;
}

// The result of a send or recv that did not move bytes.
int NotMoved() { return WSAGetLastError() == WSAEWOULDBLOCK ? SocketWouldBlock : SocketError; }

sockaddr_in Peer(const Ipv4Endpoint& endpoint) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(endpoint.port);
    std::memcpy(&peer.sin_addr, endpoint.address, sizeof endpoint.address);
    return peer;
}

} // namespace

int SocketStartup(std::uint16_t requested, std::uint16_t& granted) {
    int error = 0;
    const bool faulted = TakeSocketFault(SocketCall::Startup, error);
    if (faulted && error != 0)
        return error;
    WSADATA data{};
    const int rc = WSAStartup(requested, &data);
    if (rc == 0)
        granted = faulted ? FaultVersion : data.wVersion;
    return rc;
}

int SocketCleanup() {
    int error = 0;
    if (TakeSocketFault(SocketCall::Cleanup, error))
        return Failed(error);
    return WSACleanup() == 0 ? 0 : SocketError;
}

int SocketLastError() { return WSAGetLastError(); }

SocketHandle SocketOpenStream() {
    int error = 0;
    if (TakeSocketFault(SocketCall::Open, error)) {
        Failed(error);
        return InvalidSocket;
    }
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return InvalidSocket;
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        closesocket(s);
        Failed(error);
        return InvalidSocket;
    }
    return static_cast<SocketHandle>(s);
}

bool ResolveHostIpv4(const char* host, std::uint8_t (&address)[4]) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Resolve, error)) {
        Failed(error);
        return false;
    }
    // A dotted address needs no resolver.
    in_addr numeric{};
    if (inet_pton(AF_INET, host, &numeric) == 1) {
        std::memcpy(address, &numeric, sizeof address);
        return true;
    }
    const hostent* entry = gethostbyname(host);
    if (entry == nullptr || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr)
        return false;
    std::memset(address, 0, sizeof address);
    std::memcpy(address, entry->h_addr_list[0], std::min<std::size_t>(sizeof address, std::size_t(entry->h_length)));
    return true;
}

namespace {

// The state of a connection under way, as a connect() call reports it.
int ConnectResult(int rc) {
    if (rc == 0)
        return 0;
    const int state = WSAGetLastError();
    if (state == WSAEISCONN)
        return 0;
    return state == WSAEWOULDBLOCK || state == WSAEALREADY || state == WSAEINVAL ? SocketWouldBlock : SocketError;
}

} // namespace

int SocketConnectStart(SocketHandle socket, const Ipv4Endpoint& endpoint) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Connect, error))
        return Failed(error);
    const sockaddr_in peer = Peer(endpoint);
    return ConnectResult(connect(Sock(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer));
}

int SocketConnectState(SocketHandle socket, const Ipv4Endpoint& endpoint) {
    const sockaddr_in peer = Peer(endpoint);
    return ConnectResult(connect(Sock(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer));
}

// A failed attempt shows in the exception set; its error is SO_ERROR (some
// WinSock versions leave that 0 for a refusal).
int SocketConnectResult(SocketHandle socket) {
    fd_set exceptions;
    FD_ZERO(&exceptions);
    FD_SET(Sock(socket), &exceptions);
    timeval now{0, 0};
    const int failed = select(0, nullptr, nullptr, &exceptions, &now);
    if (failed == SOCKET_ERROR)
        return SocketError;
    if (failed == 0)
        return 0;
    int failure = 0;
    int size = sizeof failure;
    if (getsockopt(Sock(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&failure), &size) == SOCKET_ERROR)
        return SocketError;
    return Failed(failure != 0 ? failure : WSAECONNREFUSED);
}

int SocketTimedOut() { return Failed(WSAETIMEDOUT); }

// For writing, a failed connection attempt (the exception set) ends the wait too.
int SocketPoll(SocketHandle socket, bool forWriting, std::int64_t micros) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Poll, error))
        return error == 0 ? 0 : Failed(error);
    const std::int64_t wait = std::max<std::int64_t>(micros, 0);
    timeval timeout{static_cast<long>(wait / 1000000), static_cast<long>(wait % 1000000)};
    fd_set set, exceptions;
    FD_ZERO(&set);
    FD_SET(Sock(socket), &set);
    FD_ZERO(&exceptions);
    FD_SET(Sock(socket), &exceptions);
    const int ready = forWriting ? select(0, nullptr, &set, &exceptions, &timeout)
                                 : select(0, &set, nullptr, nullptr, &timeout);
    return ready == SOCKET_ERROR ? SocketError : (ready > 0 ? 1 : 0);
}

int SocketSend(SocketHandle socket, const void* data, int count) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Send, error))
        return error == 0 ? 0 : Failed(error);
    const int sent = send(Sock(socket), static_cast<const char*>(data), count, 0);
    return sent == SOCKET_ERROR ? NotMoved() : sent;
}

int SocketReceive(SocketHandle socket, void* data, int count) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Receive, error))
        return error == 0 ? 0 : Failed(error);
    const int got = recv(Sock(socket), static_cast<char*>(data), count, 0);
    return got == SOCKET_ERROR ? NotMoved() : got;
}

int SocketClose(SocketHandle socket) {
    // A test's failure still closes the socket, so nothing leaks.
    const int rc = closesocket(Sock(socket));
    int error = 0;
    if (TakeSocketFault(SocketCall::Close, error))
        return Failed(error);
    return rc == SOCKET_ERROR ? SocketError : 0;
}

} // namespace platform
