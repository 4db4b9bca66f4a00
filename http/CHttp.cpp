// The life of CHttp's socket: start-up, creation, closing, clean-up.
#include "http/CHttp.h"

#include <string>

#include "messages/Trace.h"

using tarnClientLib::Trace;

namespace {

// WinSock 1.1, asked for and required.
constexpr std::uint16_t SocketVersion = 0x0101;

} // namespace

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
    if (m_socket == 0)
        return;
    if (platform::SocketClose(m_socket) != 0)
        Trace("Close socket failed:%d\n", platform::SocketLastError());
    m_socket = 0;
}
