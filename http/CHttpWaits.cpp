// Every wait and retry of the transport, with its bounds: host resolution,
// connecting, sending, the wait for the first reply bytes, receiving and
// re-connecting.
#include <cstring>
#include <string>

#include "http/CHttp.h"
#include "messages/Trace.h"
#include "platform/SocketErrorText.h"

using tarnClientLib::Trace;
using tarnClientLib::TraceFailed;

namespace {

// Each of resolution, connect and send is tried this often.
constexpr unsigned int Attempts = 2;
// The first connection and one re-connection.
constexpr int ConnectionsPerExchange = 2;
// Every select wait, and every connection attempt the peer neither accepts
// nor refuses.
constexpr int WaitSecs = 60;
// The first reply bytes must come within these polls.
constexpr int FirstBytePolls = 16;
constexpr std::int64_t PollMicros = 1000000;
constexpr std::int64_t MicrosPerSecond = 1000000;

// Tries step(attempt) until it succeeds, at most Attempts times.
template <class Step>
bool Retry(Step&& step) {
    for (unsigned int attempt = 1; attempt <= Attempts; ++attempt)
        if (step(attempt))
            return true;
    return false;
}

int LastError() { return platform::SocketLastError(); }

std::string LastErrorText() { return platform::SocketErrorText(LastError()); }

} // namespace

// The header and request buffers are read only as far as they were filled,
// so 6 KB need not be cleared for every exchange.
CHttp::CHttp()
    : m_requestLen(0), m_headerLen(0), m_contentLength(http::LengthNotDeclared), m_hostName{}, m_socket(0),
      m_peer(), m_connecting(false), m_timeoutSecs(WaitSecs), m_maxAttempts(Attempts), m_port(0), m_headerFill(0),
      m_connections(0), m_failedReads(0) {
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

void CHttp::GetAddress(platform::Ipv4Endpoint& address) {
    Trace("CHttp::GetAddress\n");
    address = platform::Ipv4Endpoint();
    std::uint8_t resolved[4] = {};
    const bool found = Retry([&](unsigned int attempt) {
        Trace("gesthostbyname attempt#:%d\n", attempt);
        return platform::ResolveHostIpv4(m_hostName, resolved);
    });
    if (!found) {
        TraceFailed("cannot resolve the host name \"%s\"", m_hostName);
        CHttpException::Raise("CHttp::GetAddress : call to ::gethostbyname failed after " +
                              std::to_string(m_maxAttempts) + " tries - last error code = " +
                              std::to_string(LastError()));
    }
    address.port = static_cast<std::uint16_t>(m_port);
    std::memcpy(address.address, resolved, sizeof resolved);
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

void CHttp::ConnectSocket(ConnectWait wait) {
    GetAddress(m_peer);
    ++m_connections;
    m_connecting = false;
    const std::int64_t micros = m_timeoutSecs * MicrosPerSecond;
    const bool connected = Retry([&](unsigned int attempt) {
        Trace("Connect attempt #:%d\n", attempt);
        if (attempt > 1 || wait == ConnectWait::InConnect)
            return ConnectAttempted(platform::SocketConnect(m_socket, m_peer, micros));
        const int started = platform::SocketConnectStart(m_socket, m_peer, micros);
        m_connecting = started == platform::SocketWouldBlock;
        return m_connecting || ConnectAttempted(started);
    });
    if (!connected)
        ConnectFailed();
}

bool CHttp::ConnectAttempted(int result) {
    if (result == 0)
        return true;
    Trace("Connect failed: %s\n", LastErrorText().c_str());
    return false;
}

void CHttp::ConnectFailed() {
    TraceFailed("cannot connect to %s:%d: %s", m_hostName, m_port, LastErrorText().c_str());
    CHttpException::Raise("CHttp::Connect : call to ::socket failed - error code = " + std::to_string(LastError()));
}

// A send that goes out proves the connection made. One that cannot go out
// yet finds the peer not answered: the first attempt's wait is taken now.
// One that fails finds either a failed attempt, which the connect's
// remaining attempts follow, or a made connection, whose send failed.
int CHttp::SendWhileConnecting() {
    m_connecting = false;
    const int result = platform::SocketSend(m_socket, m_requestBuf, m_requestLen);
    if (result > 0)
        return result;
    const int state =
        result == platform::SocketWouldBlock ? result : platform::SocketConnectState(m_socket, m_peer);
    if (state == 0)
        return result;
    const std::int64_t micros = m_timeoutSecs * MicrosPerSecond;
    const bool connected = Retry([&](unsigned int attempt) {
        if (attempt > 1) {
            Trace("Connect attempt #:%d\n", attempt);
            return ConnectAttempted(platform::SocketConnect(m_socket, m_peer, micros));
        }
        // SocketConnect goes on waiting for the attempt under way.
        return ConnectAttempted(state == platform::SocketWouldBlock
                                    ? platform::SocketConnect(m_socket, m_peer, micros)
                                    : platform::SocketError);
    });
    if (!connected)
        ConnectFailed();
    // A send failed on a made connection stands; otherwise nothing went out.
    return result != platform::SocketWouldBlock && state == platform::SocketWouldBlock
               ? result
               : platform::SocketSend(m_socket, m_requestBuf, m_requestLen);
}

int CHttp::Reconnect() {
    Trace("reconnecting: connection %d of %d\n", m_connections + 1, ConnectionsPerExchange);
    DisconnectSocket();
    CreateSocket();
    ConnectSocket(ConnectWait::InConnect);
    // Whatever had arrived belongs to the interrupted reply.
    m_headerFill = 0;
    m_headerLen = 0;
    m_contentLength = http::LengthNotDeclared;
    const int sent = platform::SocketSend(m_socket, m_requestBuf, m_requestLen);
    if (sent < 0) {
        TraceFailed("cannot send the request again to %s:%d: %s", m_hostName, m_port, LastErrorText().c_str());
        CHttpException::Raise("CHttp::Reconnect : call to ::send failed - error code = " +
                              std::to_string(sent == platform::SocketWouldBlock ? 0 : LastError()));
    }
    return sent;
}

// The request goes out without a wait when the socket can take it, which a
// new connection always can; only a full send buffer is waited for.
void CHttp::SafeSend() {
    Trace("CHttp::SafeSend\n");
    unsigned int tried = 0;
    const bool sent = Retry([&](unsigned int attempt) {
        tried = attempt;
        Trace("send attempt #%d\n", attempt);
        int result = m_connecting ? SendWhileConnecting() : platform::SocketSend(m_socket, m_requestBuf, m_requestLen);
        if (result == platform::SocketWouldBlock) {
            const int ready = platform::SocketWaitWritable(m_socket, m_timeoutSecs * MicrosPerSecond);
            result = ready > 0 ? platform::SocketSend(m_socket, m_requestBuf, m_requestLen) : platform::SocketError;
            if (ready <= 0)
                Trace("Select failed, reason:%d\n", LastError());
        }
        // A short send is taken as complete; 0 bytes is a failed attempt
        // without re-connection.
        if (result >= 0)
            return result > 0;
        if (result == platform::SocketError)
            Trace("Send failed, reason:%d\n", LastError());
        if (m_connections >= ConnectionsPerExchange)
            return false;
        // The request went out again on the new connection: sending it once
        // more would make the server answer twice.
        return Reconnect() > 0;
    });
    if (!sent) {
        TraceFailed("cannot send the request to %s:%d", m_hostName, m_port);
        CHttpException::Raise("CHttp::SafeSend : failed after " + std::to_string(tried) + " send attempts");
    }
}

// Takes what is pending at once; waits only when nothing is.
int CHttp::SafeRead(void* destination, int count) {
    Trace("CHttp::SafeRead\n");
    Trace("Attempt #%d\n", m_failedReads + 1);
    int got = platform::SocketReceive(m_socket, destination, count);
    if (got == platform::SocketWouldBlock) {
        const int ready = platform::SocketWaitReadable(m_socket, m_timeoutSecs * MicrosPerSecond);
        if (ready > 0) {
            got = platform::SocketReceive(m_socket, destination, count);
        } else {
            Trace("::select failed, ThisRead:%d (0 == timeout) reason:%d\n", ready, LastError());
            if (ready == 0)
                Trace("no byte from %s:%d within %d seconds\n", m_hostName, m_port, m_timeoutSecs);
            got = platform::SocketError;
        }
    }
    if (got >= 0) {
        Trace("Read %d bytes from the socket\n", got);
        return got;
    }
    if (got == platform::SocketError)
        Trace("Socket Error, %d (%s)\n", LastError(), LastErrorText().c_str());
    ReadFailed();
    return Restarted;
}

void CHttp::ReadFailed() {
    ++m_failedReads;
    if (m_connections >= ConnectionsPerExchange) {
        TraceFailed("no reply from %s:%d after %d read attempts on %d connections", m_hostName, m_port, m_failedReads,
                    m_connections);
        CHttpException::Raise("CHttp::SafeRead : failed after " + std::to_string(m_failedReads) + " read attempts");
    }
    Reconnect();
}

// Polls until the first reply bytes are pending and takes them into the
// header buffer. A peer that closed first has nothing to say; one that
// reset is asked again on a new connection while the polls last.
bool CHttp::WaitForReply() {
    for (int poll = 1; poll <= FirstBytePolls; ++poll) {
        if (platform::SocketWaitReadable(m_socket, PollMicros) <= 0)
            continue;
        const int got = platform::SocketReceive(m_socket, m_headerBuf, static_cast<int>(sizeof m_headerBuf));
        Trace("Bytes available :%d\n", got);
        if (got > 0) {
            m_headerFill = got;
            return true;
        }
        if (got == 0) {
            TraceFailed("%s:%d closed the connection without a reply", m_hostName, m_port);
            return false;
        }
        if (got == platform::SocketError) {
            Trace("Socket Error, %d (%s)\n", LastError(), LastErrorText().c_str());
            ReadFailed();
        }
    }
    TraceFailed("no reply from %s:%d within %d polls of %lld ms", m_hostName, m_port, FirstBytePolls,
                static_cast<long long>(PollMicros / 1000));
    return false;
}
