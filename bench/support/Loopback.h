// The shared side of every contender: one single-threaded epoll server in a
// child process that answers each request on 127.0.0.1 with the same fixed
// bytes, and the raw socket client that the library is measured against.
#ifndef TARN_BENCH_LOOPBACK_H
#define TARN_BENCH_LOOPBACK_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace bench {

// A listening socket on 127.0.0.1 at a port of the system's choosing.
int ListenLoopback(std::uint16_t& port);

// Serves the listener from a child process until destroyed. makeReply runs in
// the child, so a large reply never counts towards the parent's memory. The
// child answers once the request's header and Content-Length bytes are in,
// ends its side of the connection and waits for the client to close.
class LoopServer {
public:
    LoopServer(int listener, const std::function<std::string()>& makeReply);
    ~LoopServer();
    LoopServer(const LoopServer&) = delete;
    LoopServer& operator=(const LoopServer&) = delete;

    // The bytes of the first request served (waits for it).
    std::string FirstRequest();

private:
    pid_t m_child = -1;
    int m_requestPipe = -1;
};

// The end of an HTTP header (past its blank line) and the Content-Length it
// announces; npos when the header is not complete yet.
std::size_t HeaderEnd(const std::string& message, std::size_t& contentLength);

// A reply as the raw client read it: header and body in one heap block.
class RawReply {
public:
    RawReply() = default;
    ~RawReply();
    RawReply(const RawReply&) = delete;
    RawReply& operator=(const RawReply&) = delete;

    const char* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }
    std::size_t BodyStart() const { return m_bodyStart; }
    std::string Text() const { return std::string(m_data, m_size); }

private:
    friend bool RawExchange(std::uint16_t, const std::string&, RawReply&);
    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    std::size_t m_bodyStart = 0;
};

// The raw client: connect, send request, read up to the announced
// Content-Length, close. False on any failure.
bool RawExchange(std::uint16_t port, const std::string& request, RawReply& reply);

} // namespace bench

#endif
