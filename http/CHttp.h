// CHttp: one TCP connection to one server carrying one POST exchange.
//
// Order of use: construct (socket start-up, socket), Connect (or
// ConnectBeforeSend), SendPostRequest, ReadReply, destroy (socket closed,
// socket layer cleaned up). Every failure throws CHttpException after the
// step that saw it has traced why (messages/Trace.h).
//
// Its concerns live in three files: CHttpConnection.cpp (the socket's life,
// the peer, connecting), CHttpFraming.cpp (the request bytes, the reply
// header and body) and CHttpWaits.cpp (every wait and retry, with the
// bounds of an exchange named there once: each step tried at most twice,
// each wait at most 60 seconds, 16 one-second polls for the first reply
// bytes, at most two connections, and 150 seconds for the whole exchange
// from its first connection to its last byte). The call's own limits (a
// host's deadline, a stop request) end any wait sooner.
//
// Not thread-safe: one thread per object.
#ifndef TARN_HTTP_CHTTP_H
#define TARN_HTTP_CHTTP_H

#include <cstdint>

#include "http/CHttpException.h"
#include "http/ReplyBody.h"
#include "http/ReplyHeader.h"
#include "platform/Socket.h"
#include "platform/Wait.h"

class CHttp {
public:
    // call: the limits of the call this exchange serves; the exchange's own
    // total bound starts now.
    explicit CHttp(const platform::WaitLimits& call = {});
    ~CHttp();
    CHttp(const CHttp&) = delete;
    CHttp& operator=(const CHttp&) = delete;

    // Stores host (at most 1023 characters) and port, resolves the host and
    // connects.
    void Connect(const char* host, int port);
    // Connect, except that a peer which has not answered by the time the
    // system's connect returns is waited for by the first send, within the
    // same bounds: on loopback the connection is made by then, and the wait
    // is not taken. A connection that fails then fails that send as it would
    // have failed Connect. While tracing, it is Connect, so a read trace
    // keeps its order.
    void ConnectBeforeSend(const char* host, int port);

    // Composes "POST <path> HTTP/1.1" with agent, length, host and the extra
    // header text (none when null or empty) and sends it with the body. A
    // request too large for the fixed buffers is refused before anything is
    // sent.
    void SendPostRequest(const char* userAgent, const char* targetPath, const char* extraHeaders,
                         const void* body, int bodyLength);

    // Waits for the reply, checks its header and receives its whole body into
    // body. False when no reply began: nothing came within the first-byte
    // polls, or the server closed without a word. Throws on a refused or
    // unreadable reply, a body shorter than declared or longer than
    // http::MaxReplyBody, a failed receive with no re-connection left, or
    // when the exchange or the call runs out of time or is stopped. A
    // re-connection restarts the reply, so body only ever holds bytes of one
    // reply, cut to its declared length.
    bool ReadReply(ReplyBody& body);

private:
    // CHttpConnection.cpp
    void Startup();
    void Cleanup() noexcept;
    void CreateSocket();
    void DisconnectSocket() noexcept;
    void SetPeer(const char* host, int port);

    // CHttpWaits.cpp
    void StartClock(const platform::WaitLimits& call);
    // A wait that ended for a reason that ends the exchange (the call was
    // stopped, a deadline passed) traces why and throws; any other end returns.
    void EndedBy(platform::WaitEnd end, const char* waitingFor);
    void GetAddress(platform::Ipv4Endpoint& address);
    // When the wait for the peer's answer to the first connect attempt is taken.
    enum class ConnectWait { InConnect, AtFirstSend };
    void ConnectSocket(ConnectWait wait);
    // One connect attempt and its wait: true when the connection is made (or,
    // for AtFirstSend, left under way).
    bool ConnectAttempt(unsigned int attempt, ConnectWait wait);
    bool AwaitConnection();
    // The outcome of a connect call that did not leave the attempt under way.
    bool ConnectSettled(int result);
    [[noreturn]] void ConnectFailed();
    // The first send on a connection left under way; settles the connection
    // as ConnectSocket would have and gives the send's result.
    int SendWhileConnecting();
    // Replaces the connection and sends the stored request on it at once;
    // the bytes sent. The reply read so far is dropped.
    int Reconnect();
    void SafeSend();
    // Bytes received (0: the peer has closed), or Restarted when the
    // connection had to be replaced: the reply starts again from its first byte.
    static constexpr int Restarted = -1;
    int SafeRead(void* destination, int count);
    // A receive failed: re-connects, or throws when no connection is left.
    void ReadFailed();
    // False when no reply began: nothing within the polls, or a close.
    bool WaitForReply();

    // CHttpFraming.cpp
    int ProcessHttpHeader();
    void TraceHeader(int length);
    [[noreturn]] void TooLarge();
    // Both false when the reply restarted on a new connection.
    bool ReadHeader();
    bool ReadBody(ReplyBody& body);

    char m_headerBuf[http::MaxHeaderBytes];
    char m_requestBuf[2048];
    int m_requestLen;
    int m_headerLen;
    int m_contentLength;
    char m_hostName[1024];
    platform::SocketHandle m_socket;
    platform::Ipv4Endpoint m_peer;
    // The first connect attempt is under way: the first send settles it.
    bool m_connecting;
    // How the last connect attempt failed: its error, and whether by the
    // peer's silence.
    int m_connectError;
    bool m_connectTimedOut;
    int m_port;
    // Bytes of m_headerBuf received so far; the header searches stop here.
    int m_headerFill;
    // Connections opened by this exchange, and its failed receive attempts.
    int m_connections;
    int m_failedReads;
    // The host's deadline, and every wait's limits: the earlier of that
    // deadline and the exchange's own, and the call's stop request.
    platform::Deadline m_callDeadline;
    platform::WaitLimits m_limits;
};

#endif
