#include "platform/Socket.h"

#include <algorithm>
#include <cstring>

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/SocketFaults.h"
#include "platform/Time.h"

namespace platform {

namespace {

constexpr std::uint16_t FaultVersion = 0x0202;

SOCKET Sock(SocketHandle socket) { return static_cast<SOCKET>(socket); }

int Failed(int error) {
    WSASetLastError(error);
    return SocketError;
}

// select for reading, or for writing (failures of a connection under way show
// in the exception set): 1 when ready, 0 on time-out.
int Wait(SocketHandle socket, bool forWriting, std::int64_t micros, bool* failed = nullptr) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Select, error))
        return error == 0 ? 0 : Failed(error);
    const std::int64_t scaled = std::max<std::int64_t>(ScaledMicros(micros), 0);
    timeval timeout{static_cast<long>(scaled / 1000000), static_cast<long>(scaled % 1000000)};
    fd_set set, exceptions;
    FD_ZERO(&set);
    FD_SET(Sock(socket), &set);
    FD_ZERO(&exceptions);
    FD_SET(Sock(socket), &exceptions);
    const int ready = forWriting ? select(0, nullptr, &set, &exceptions, &timeout)
                                 : select(0, &set, nullptr, nullptr, &timeout);
    if (failed)
        *failed = ready > 0 && forWriting && FD_ISSET(Sock(socket), &exceptions);
    return ready == SOCKET_ERROR ? SocketError : (ready > 0 ? 1 : 0);
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

int SocketConnect(SocketHandle socket, const Ipv4Endpoint& endpoint, std::int64_t micros) {
    int error = 0;
    if (TakeSocketFault(SocketCall::Connect, error))
        return Failed(error);
    const sockaddr_in peer = Peer(endpoint);
    if (connect(Sock(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
        return 0;
    const int started = WSAGetLastError();
    if (started == WSAEISCONN)
        return 0;
    if (started != WSAEWOULDBLOCK && started != WSAEALREADY && started != WSAEINVAL)
        return SocketError;
    bool failed = false;
    const int ready = Wait(socket, true, micros, &failed);
    if (ready == SocketError)
        return SocketError;
    if (ready == 0)
        return Failed(WSAETIMEDOUT);
    if (!failed)
        return 0;
    int failure = 0;
    int size = sizeof failure;
    if (getsockopt(Sock(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&failure), &size) == SOCKET_ERROR)
        return SocketError;
    return Failed(failure != 0 ? failure : WSAECONNREFUSED);
}

// WinSock never finishes a connection within connect(): nothing is gained by
// leaving the wait to the first send.
int SocketConnectStart(SocketHandle socket, const Ipv4Endpoint& endpoint, std::int64_t micros) {
    return SocketConnect(socket, endpoint, micros);
}

int SocketConnectState(SocketHandle socket, const Ipv4Endpoint& endpoint) {
    const sockaddr_in peer = Peer(endpoint);
    if (connect(Sock(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
        return 0;
    const int state = WSAGetLastError();
    if (state == WSAEISCONN)
        return 0;
    return state == WSAEWOULDBLOCK || state == WSAEALREADY || state == WSAEINVAL ? SocketWouldBlock : SocketError;
}

int SocketWaitReadable(SocketHandle socket, std::int64_t micros) { return Wait(socket, false, micros); }

int SocketWaitWritable(SocketHandle socket, std::int64_t micros) { return Wait(socket, true, micros); }

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
