// Every wait and retry of an exchange, with its bounds: host resolution,
// connecting, sending, the wait for the first reply bytes, receiving and
// re-connecting. Each wait goes through platform/Wait.h with the exchange's
// limits, so a host's deadline or stop request ends it as well.
#include <cstring>
#include <string>

#include "http/CHttp.h"
#include "messages/Trace.h"
#include "platform/SocketErrorText.h"

using platform::WaitEnd;
using tarnClientLib::Trace;
using tarnClientLib::TraceFailed;

namespace {

// Each of resolution, connect and send is tried this often.
constexpr unsigned int Attempts = 2;
// The first connection and one re-connection.
constexpr int ConnectionsPerExchange = 2;
// Every socket wait, and every connection attempt the peer neither accepts
// nor refuses.
constexpr int WaitSeconds = 60;
// The first reply bytes must come within these polls.
constexpr int FirstBytePolls = 16;
constexpr int PollMillis = 1000;
// One exchange, from its first connection to its last byte, whatever the
// server does: no trickle of bytes and no re-connection extends it.
constexpr int ExchangeSeconds = 150;

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

void CHttp::StartClock(const platform::WaitLimits& call) {
    m_callDeadline = call.deadline;
    m_limits.deadline = platform::Deadline::In(ExchangeSeconds * MicrosPerSecond).Earlier(call.deadline);
    m_limits.stop = call.stop;
}

void CHttp::EndedBy(WaitEnd end, const char* waitingFor) {
    if (end == WaitEnd::Stopped) {
        TraceFailed(tarnclient::CallCancelled, "cancelled while %s %s:%d", waitingFor, m_hostName, m_port);
        CHttpException::Raise("CHttp : cancelled while " + std::string(waitingFor) + " the server");
    }
    if (end != WaitEnd::PastDeadline)
        return;
    if (m_callDeadline.Passed()) {
        TraceFailed(tarnclient::CallPastDeadline, "past the deadline while %s %s:%d", waitingFor, m_hostName,
                    m_port);
        CHttpException::Raise("CHttp : past the deadline while " + std::string(waitingFor) + " the server");
    }
    TraceFailed(tarnclient::CallNoReply, "the exchange with %s:%d took longer than %d seconds (while %s it)",
                m_hostName, m_port, ExchangeSeconds, waitingFor);
    CHttpException::Raise("CHttp : the exchange took longer than " + std::to_string(ExchangeSeconds) + " seconds");
}

void CHttp::GetAddress(platform::Ipv4Endpoint& address) {
    Trace("CHttp::GetAddress\n");
    EndedBy(platform::CheckLimits(m_limits), "connecting to");
    address = platform::Ipv4Endpoint();
    std::uint8_t resolved[4] = {};
    const bool found = Retry([&](unsigned int attempt) {
        Trace("gesthostbyname attempt#:%d\n", attempt);
        return platform::ResolveHostIpv4(m_hostName, resolved);
    });
    if (!found) {
        // Taken first: on Windows any system call may overwrite it.
        const int error = LastError();
        TraceFailed(tarnclient::CallNotReached, "cannot resolve the host name \"%s\"",
                    tarnClientLib::Printable(m_hostName).c_str());
        CHttpException::Raise("CHttp::GetAddress : call to ::gethostbyname failed after " + std::to_string(Attempts) +
                              " tries - last error code = " + std::to_string(error));
    }
    address.port = static_cast<std::uint16_t>(m_port);
    std::memcpy(address.address, resolved, sizeof resolved);
}

void CHttp::ConnectSocket(ConnectWait wait) {
    GetAddress(m_peer);
    ++m_connections;
    m_connecting = false;
    if (!Retry([&](unsigned int attempt) { return ConnectAttempt(attempt, wait); }))
        ConnectFailed();
}

bool CHttp::ConnectAttempt(unsigned int attempt, ConnectWait wait) {
    Trace("Connect attempt #:%d\n", attempt);
    const int started = platform::SocketConnectStart(m_socket, m_peer);
    if (started == platform::SocketWouldBlock && attempt == 1 && wait == ConnectWait::AtFirstSend) {
        m_connecting = true;
        return true;
    }
    return started == platform::SocketWouldBlock ? AwaitConnection() : ConnectSettled(started);
}

bool CHttp::AwaitConnection() {
    const WaitEnd end =
        platform::WaitForSocket(m_socket, platform::SocketEvent::Writable, WaitSeconds * MicrosPerSecond, m_limits);
    EndedBy(end, "connecting to");
    m_connectTimedOut = end == WaitEnd::BoundReached;
    if (m_connectTimedOut) {
        platform::SocketTimedOut();
        m_connectError = LastError();
        Trace("Connect failed: no answer within %d seconds\n", WaitSeconds);
        return false;
    }
    return ConnectSettled(end == WaitEnd::Ready ? platform::SocketConnectResult(m_socket) : platform::SocketError);
}

bool CHttp::ConnectSettled(int result) {
    m_connectTimedOut = false;
    if (result == 0)
        return true;
    // Kept: on Windows any later system call may overwrite the last error.
    m_connectError = LastError();
    Trace("Connect failed: %s\n", platform::SocketErrorText(m_connectError).c_str());
    return false;
}

void CHttp::ConnectFailed() {
    const std::string why = m_connectTimedOut ? "no answer within " + std::to_string(WaitSeconds) + " seconds"
                                              : platform::SocketErrorText(m_connectError);
    TraceFailed(tarnclient::CallNotReached, "cannot connect to %s:%d: %s", m_hostName, m_port, why.c_str());
    CHttpException::Raise("CHttp::Connect : call to ::socket failed - error code = " +
                          std::to_string(m_connectError));
}

// A send that goes out proves the connection made. One that cannot go out
// finds the first attempt under way (its wait is taken now, as ConnectSocket
// would have taken it) or failed (the connect's remaining attempt follows).
int CHttp::SendWhileConnecting() {
    m_connecting = false;
    const int first = platform::SocketSend(m_socket, m_requestBuf, m_requestLen);
    if (first > 0)
        return first;
    const int state = platform::SocketConnectState(m_socket, m_peer);
    if (state != 0) {
        const bool connected = Retry([&](unsigned int attempt) {
            if (attempt > 1)
                return ConnectAttempt(attempt, ConnectWait::InConnect);
            return state == platform::SocketWouldBlock ? AwaitConnection() : ConnectSettled(state);
        });
        if (!connected)
            ConnectFailed();
    }
    return platform::SocketSend(m_socket, m_requestBuf, m_requestLen);
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
        const int error = sent == platform::SocketWouldBlock ? 0 : LastError();
        TraceFailed(tarnclient::CallNoReply, "cannot send the request again to %s:%d: %s", m_hostName, m_port,
                    platform::SocketErrorText(error).c_str());
        CHttpException::Raise("CHttp::Reconnect : call to ::send failed - error code = " + std::to_string(error));
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
            const WaitEnd end = platform::WaitForSocket(m_socket, platform::SocketEvent::Writable,
                                                        WaitSeconds * MicrosPerSecond, m_limits);
            EndedBy(end, "sending to");
            result = end == WaitEnd::Ready ? platform::SocketSend(m_socket, m_requestBuf, m_requestLen)
                                           : platform::SocketError;
            if (end != WaitEnd::Ready)
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
        TraceFailed(tarnclient::CallNoReply, "cannot send the request to %s:%d", m_hostName, m_port);
        CHttpException::Raise("CHttp::SafeSend : failed after " + std::to_string(tried) + " send attempts");
    }
}

// Takes what is pending at once; waits only when nothing is.
int CHttp::SafeRead(void* destination, int count) {
    Trace("CHttp::SafeRead\n");
    Trace("Attempt #%d\n", m_failedReads + 1);
    int got = platform::SocketReceive(m_socket, destination, count);
    while (got == platform::SocketWouldBlock) {
        const WaitEnd end = platform::WaitForSocket(m_socket, platform::SocketEvent::Readable,
                                                    WaitSeconds * MicrosPerSecond, m_limits);
        EndedBy(end, "reading the reply from");
        if (end == WaitEnd::Ready) {
            got = platform::SocketReceive(m_socket, destination, count);
            continue;
        }
        Trace("::select failed, ThisRead:%d (0 == timeout) reason:%d\n", end == WaitEnd::BoundReached ? 0 : -1,
              LastError());
        if (end == WaitEnd::BoundReached)
            Trace("no byte from %s:%d within %d seconds\n", m_hostName, m_port, WaitSeconds);
        got = platform::SocketError;
    }
    if (got >= 0) {
        Trace("Read %d bytes from the socket\n", got);
        return got;
    }
    Trace("Socket Error, %d (%s)\n", LastError(), LastErrorText().c_str());
    ReadFailed();
    return Restarted;
}

void CHttp::ReadFailed() {
    ++m_failedReads;
    if (m_connections >= ConnectionsPerExchange) {
        TraceFailed(tarnclient::CallNoReply, "no reply from %s:%d after %d read attempts on %d connections",
                    m_hostName, m_port, m_failedReads, m_connections);
        CHttpException::Raise("CHttp::SafeRead : failed after " + std::to_string(m_failedReads) + " read attempts");
    }
    Reconnect();
}

// Polls until the first reply bytes are pending and takes them into the
// header buffer. A peer that closed first has nothing to say; one that
// reset is asked again on a new connection while the polls last.
bool CHttp::WaitForReply() {
    for (int poll = 1; poll <= FirstBytePolls; ++poll) {
        const WaitEnd end = platform::WaitForSocket(m_socket, platform::SocketEvent::Readable,
                                                    std::int64_t(PollMillis) * 1000, m_limits);
        EndedBy(end, "waiting for a reply from");
        if (end != WaitEnd::Ready)
            continue;
        const int got = platform::SocketReceive(m_socket, m_headerBuf, static_cast<int>(sizeof m_headerBuf));
        Trace("Bytes available :%d\n", got);
        if (got > 0) {
            m_headerFill = got;
            return true;
        }
        if (got == 0) {
            TraceFailed(tarnclient::CallNoReply, "%s:%d closed the connection without a reply", m_hostName, m_port);
            return false;
        }
        if (got == platform::SocketError) {
            Trace("Socket Error, %d (%s)\n", LastError(), LastErrorText().c_str());
            ReadFailed();
        }
    }
    TraceFailed(tarnclient::CallNoReply, "no reply from %s:%d within %d polls of %d ms", m_hostName, m_port,
                FirstBytePolls, PollMillis);
    return false;
}
