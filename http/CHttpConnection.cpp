// The life of CHttp's connection: socket start-up and clean-up, the socket,
// the peer, connecting and re-connecting.
#include <cstring>
#include <string>

#include "http/CHttp.h"
#include "messages/Trace.h"

using tarnClientLib::Trace;

namespace {

// WinSock 1.1, asked for and required.
constexpr std::uint16_t SocketVersion = 0x0101;

} // namespace

// The header and request buffers are read only as far as they were filled,
// so 6 KB need not be cleared for every exchange.
CHttp::CHttp(const platform::WaitLimits& call)
    : m_requestLen(0), m_headerLen(0), m_contentLength(http::LengthNotDeclared), m_hostName{}, m_socket(0),
      m_peer(), m_connecting(false), m_connectError(0), m_connectTimedOut(false), m_port(0), m_headerFill(0), m_connections(0), m_failedReads(0) {
    StartClock(call);
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

// Closing alone ends the stream as a shutdown of the sending side would.
void CHttp::DisconnectSocket() noexcept {
    Trace("CHttp::DisconnectSocket\n");
    if (m_socket == 0 || m_socket == platform::InvalidSocket)
        return;
    if (platform::SocketClose(m_socket) != 0)
        Trace("Close socket failed:%d\n", platform::SocketLastError());
    m_socket = 0;
}

void CHttp::SetPeer(const char* host, int port) {
    const char* text = host ? host : "";
    const std::size_t length = std::strlen(text);
    if (length >= sizeof m_hostName)
        CHttpException::Raise("CHttp::Connect : host name longer than " + std::to_string(sizeof m_hostName - 1) +
                              " characters");
    // Reconnect passes m_hostName itself.
    std::memmove(m_hostName, text, length + 1);
    m_port = port;
    Trace("CHttp::Connect host:%s, port:%d\n", m_hostName, m_port);
}

void CHttp::Connect(const char* host, int port) {
    SetPeer(host, port);
    ConnectSocket(ConnectWait::InConnect);
}

void CHttp::ConnectBeforeSend(const char* host, int port) {
    SetPeer(host, port);
    ConnectSocket(tarnClientLib::Tracing() ? ConnectWait::InConnect : ConnectWait::AtFirstSend);
}
