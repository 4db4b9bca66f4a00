// CHttp: one TCP connection to one server carrying one POST exchange.
//
// Order of use: construct (socket start-up, socket), Connect, SendPostRequest,
// poll with WaitForData / QueryDataAvailable, Read until it delivers 0 bytes,
// destroy (socket closed, socket layer cleaned up). Every failure throws
// CHttpException; every step is tried at most m_maxAttempts times and every
// wait lasts at most m_timeoutSecs. Not thread-safe: one thread per object.
#ifndef TARN_HTTP_CHTTP_H
#define TARN_HTTP_CHTTP_H

#include <cstdint>

#include "http/CHttpException.h"
#include "platform/Socket.h"

class CHttp {
public:
    CHttp();
    ~CHttp();
    CHttp(const CHttp&) = delete;
    CHttp& operator=(const CHttp&) = delete;

    // Stores host (at most 1023 characters) and port, resolves the host and
    // connects. Always true; throws on failure.
    bool Connect(const char* host, int port);

    // Composes "POST <path> HTTP/1.1" with agent, length, host and the extra
    // header text (none when null or empty) and sends it with the body.
    // Always true; a request too large for the fixed buffers is refused
    // before anything is sent.
    bool SendPostRequest(const char* userAgent, const char* targetPath, const char* extraHeaders,
                         const void* body, int bodyLength);

    // Bytes pending on the socket; 0 when the query fails. Never throws.
    int QueryDataAvailable();

    // Waits up to timeoutMs of scaled time for the socket to become
    // readable; true when it did. Never throws.
    bool WaitForData(std::uint32_t timeoutMs);

    // Delivers the next body bytes into destination (at most capacity) and
    // their number in count; 0 once the body is complete. The first call
    // reads and checks the reply header. Always true; throws on failure.
    bool Read(void* destination, int capacity, int& count);

private:
    void Startup();
    void Cleanup() noexcept;
    void CreateSocket();
    void DisconnectSocket() noexcept;
    void GetAddress(platform::Ipv4Endpoint& address);
    // Returns the bytes of the stored request it sent on the new connection.
    int Reconnect();
    void SafeSend();
    int SafeRead(void* destination, int count);
    int ProcessHttpHeader();
    void ReadHeader();

    char m_headerBuf[4096];
    char m_requestBuf[2048];
    int m_requestLen;
    int m_headerLen;
    int m_contentLength;
    int m_bodyPos;
    int m_bodyInHeaderBuf;
    int m_bodyDelivered;
    char m_hostName[1024];
    platform::SocketHandle m_socket;
    int m_timeoutSecs;
    unsigned int m_maxAttempts;
    int m_port;
    // Bytes of m_headerBuf received so far; the header searches stop here.
    int m_headerFill;
};

#endif
