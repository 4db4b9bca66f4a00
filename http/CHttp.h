// CHttp: one TCP connection to one server carrying one POST exchange.
//
// Order of use: construct (socket start-up, socket), Connect (or
// ConnectBeforeSend), SendPostRequest, ReadReply, destroy (socket closed,
// socket layer cleaned up). Every failure throws CHttpException. Every wait and retry is bounded
// by the limits of CHttpWaits.cpp: each step is tried at most twice, each
// wait lasts at most 60 seconds (16 one-second polls for the first reply
// bytes), and one exchange opens at most two connections. Not thread-safe:
// one thread per object.
#ifndef TARN_HTTP_CHTTP_H
#define TARN_HTTP_CHTTP_H

#include <cstdint>

#include "http/CHttpException.h"
#include "http/ReplyBody.h"
#include "http/ReplyHeader.h"
#include "platform/Socket.h"

class CHttp {
public:
    CHttp();
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
    // unreadable reply, a body shorter than declared, or a failed receive
    // with no re-connection left. A re-connection restarts the reply, so body
    // only ever holds bytes of one reply, cut to its declared length.
    bool ReadReply(ReplyBody& body);

private:
    void Startup();
    void Cleanup() noexcept;
    void CreateSocket();
    void DisconnectSocket() noexcept;
    void GetAddress(platform::Ipv4Endpoint& address);
    void SetPeer(const char* host, int port);
    // When the wait for the peer's answer to the first connect attempt is taken.
    enum class ConnectWait { InConnect, AtFirstSend };
    void ConnectSocket(ConnectWait wait);
    // The outcome of one connect attempt: made (or left under way), or traced as failed.
    bool ConnectAttempted(int result);
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
    bool WaitForReply();
    int ProcessHttpHeader();
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
    int m_timeoutSecs;
    unsigned int m_maxAttempts;
    int m_port;
    // Bytes of m_headerBuf received so far; the header searches stop here.
    int m_headerFill;
    // Connections opened by this exchange, and its failed receive attempts.
    int m_connections;
    int m_failedReads;
};

#endif
