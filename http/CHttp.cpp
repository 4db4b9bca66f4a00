// The socket level of CHttp: start-up, connection, guarded send and receive.
#include "http/CHttp.h"

#include <cstring>
#include <string>

#include "messages/Trace.h"
#include "platform/SocketErrorText.h"

using tarnClientLib::Trace;

namespace {

// WinSock 1.1, asked for and required.
constexpr std::uint16_t SocketVersion = 0x0101;
constexpr int DefaultTimeoutSecs = 60;
constexpr unsigned int DefaultMaxAttempts = 2;
constexpr std::int64_t MicrosPerSecond = 1000000;

} // namespace

CHttp::CHttp()
    : m_headerBuf{}, m_requestBuf{}, m_requestLen(0), m_headerLen(0), m_contentLength(-1), m_bodyPos(0),
      m_bodyInHeaderBuf(0), m_bodyDelivered(0), m_hostName{}, m_socket(0), m_timeoutSecs(DefaultTimeoutSecs),
      m_maxAttempts(DefaultMaxAttempts), m_port(0), m_headerFill(0) {
    Startup();
    try {
        CreateSocket();
    } catch (...) {
        // The destructor will not run: balance the start-up here.
        Cleanup();
        throw;
    }
}

CHttp::~CHttp() {
    DisconnectSocket();
    Cleanup();
}

void CHttp::Startup() {
    std::uint16_t granted = 0;
    const int rc = platform::SocketStartup(SocketVersion, granted);
    if (rc != 0)
        CHttpException::Raise("CHttp::Startup : call to ::WSAStartup failed - error code = " + std::to_string(rc));
    if (granted != SocketVersion) {
        platform::SocketCleanup();
        CHttpException::Raise(
            "CHttp::Startup : call to ::WSAStartup failed - WinSock 1.1 not supported on client machine");
    }
}

void CHttp::Cleanup() noexcept {
    if (platform::SocketCleanup() != 0)
        Trace("WSACleanup failed, reason code:%d\n", platform::SocketLastError());
}

void CHttp::CreateSocket() {
    m_socket = platform::SocketOpenStream();
    if (m_socket == platform::InvalidSocket)
        CHttpException::Raise("CHttp::CreateSocket : call to ::socket failed - error code = " +
                              std::to_string(platform::SocketLastError()));
}

void CHttp::DisconnectSocket() noexcept {
    Trace("CHttp::DisconnectSocket\n");
    if (m_socket == 0)
        return;
    if (platform::SocketShutdownSend(m_socket) != 0)
        Trace("socket shutdown failed:%d\n", platform::SocketLastError());
    if (platform::SocketClose(m_socket) != 0)
        Trace("Close socket failed:%d\n", platform::SocketLastError());
    m_socket = 0;
}

void CHttp::GetAddress(platform::Ipv4Endpoint& address) {
    Trace("CHttp::GetAddress\n");
    address = platform::Ipv4Endpoint();
    std::uint8_t resolved[4] = {};
    bool found = false;
    for (unsigned int attempt = 1; attempt <= m_maxAttempts && !found; ++attempt) {
        Trace("gesthostbyname attempt#:%d\n", attempt);
        found = platform::ResolveHostIpv4(m_hostName, resolved);
    }
    if (!found) {
        tarnClientLib::TraceFailed("cannot resolve the host name \"%s\"", m_hostName);
        CHttpException::Raise("CHttp::GetAddress : call to ::gethostbyname failed after " +
                              std::to_string(m_maxAttempts) + " tries - last error code = " +
                              std::to_string(platform::SocketLastError()));
    }
    address.port = static_cast<std::uint16_t>(m_port);
    std::memcpy(address.address, resolved, sizeof resolved);
}

bool CHttp::Connect(const char* host, int port) {
    const char* text = host ? host : "";
    const std::size_t length = std::strlen(text);
    if (length >= sizeof m_hostName)
        CHttpException::Raise("CHttp::Connect : host name longer than " + std::to_string(sizeof m_hostName - 1) +
                              " characters");
    // Reconnect passes m_hostName itself.
    std::memmove(m_hostName, text, length + 1);
    m_port = port;
    Trace("CHttp::Connect host:%s, port:%d\n", m_hostName, m_port);

    platform::Ipv4Endpoint address;
    GetAddress(address);
    for (unsigned int attempt = 1; attempt <= m_maxAttempts; ++attempt) {
        Trace("Connect attempt #:%d\n", attempt);
        if (platform::SocketConnect(m_socket, address) != platform::SocketError)
            return true;
    }
    tarnClientLib::TraceFailed("cannot connect to %s:%d: %s", m_hostName, m_port,
                               platform::SocketErrorText(platform::SocketLastError()).c_str());
    CHttpException::Raise("CHttp::Connect : call to ::socket failed - error code = " +
                          std::to_string(platform::SocketLastError()));
}

int CHttp::Reconnect() {
    DisconnectSocket();
    CreateSocket();
    Connect(m_hostName, m_port);
    const int sent = platform::SocketSend(m_socket, m_requestBuf, m_requestLen);
    if (sent == platform::SocketError)
        CHttpException::Raise("CHttp::Reconnect : call to ::send failed - error code = " +
                              std::to_string(platform::SocketLastError()));
    return sent;
}

void CHttp::SafeSend() {
    Trace("CHttp::SafeSend\n");
    for (unsigned int attempt = 1; attempt <= m_maxAttempts; ++attempt) {
        Trace("send attempt #%d\n", attempt);
        const int ready = platform::SocketWaitWritable(m_socket, m_timeoutSecs * MicrosPerSecond);
        if (ready == platform::SocketError || ready == 0) {
            Trace("Select failed, reason:%d\n", platform::SocketLastError());
            // The request went out again on the new connection: sending it
            // once more would make the server answer twice.
            if (Reconnect() > 0)
                return;
            continue;
        }
        const int sent = platform::SocketSend(m_socket, m_requestBuf, m_requestLen);
        if (sent == platform::SocketError) {
            Trace("Send failed, reason:%d\n", platform::SocketLastError());
            if (Reconnect() > 0)
                return;
            continue;
        }
        // A short send is taken as complete; 0 bytes is a failed attempt.
        if (sent > 0)
            return;
    }
    tarnClientLib::TraceFailed("cannot send the request to %s:%d", m_hostName, m_port);
    CHttpException::Raise("CHttp::SafeSend : failed after " + std::to_string(m_maxAttempts) + " send attempts");
}

int CHttp::SafeRead(void* destination, int count) {
    Trace("CHttp::SafeRead\n");
    for (unsigned int attempt = 1; attempt <= m_maxAttempts; ++attempt) {
        Trace("Attempt #%d\n", attempt);
        const int ready = platform::SocketWaitReadable(m_socket, m_timeoutSecs * MicrosPerSecond);
        if (ready == platform::SocketError || ready == 0) {
            Trace("::select failed, ThisRead:%d (0 == timeout) reason:%d\n", ready, platform::SocketLastError());
            Reconnect();
            continue;
        }
        const int got = platform::SocketReceive(m_socket, destination, count);
        Trace("Read %d bytes from the socket\n", got);
        if (got != platform::SocketError)
            return got;
        Trace("Socket Error, %d\n", platform::SocketLastError());
        Reconnect();
    }
    tarnClientLib::TraceFailed("no reply from %s:%d after %u read attempts", m_hostName, m_port, m_maxAttempts);
    CHttpException::Raise("CHttp::SafeRead : failed after " + std::to_string(m_maxAttempts) + " read attempts");
}

int CHttp::QueryDataAvailable() {
    Trace("CHttp::QueryDataAvailable\n");
    int count = 0;
    if (platform::SocketPendingBytes(m_socket, count) == platform::SocketError) {
        Trace("Winsock error:%d\n", platform::SocketLastError());
        count = 0;
    }
    Trace("Bytes available :%d\n", count);
    return count;
}

bool CHttp::WaitForData(std::uint32_t timeoutMs) {
    return platform::SocketWaitReadable(m_socket, std::int64_t(timeoutMs) * 1000) > 0;
}
