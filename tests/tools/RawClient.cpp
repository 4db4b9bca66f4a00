#include "RawClient.h"

#include <cstdlib>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarntest {

namespace {

class Socket {
public:
    Socket() : m_fd(socket(AF_INET, SOCK_STREAM, 0)) {
        if (m_fd < 0)
            throw std::runtime_error("socket");
    }
    ~Socket() { close(m_fd); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::string Exchange(int port, const std::string& bytes, bool halfClose) {
    Socket s;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s.fd(), reinterpret_cast<sockaddr*>(&to), sizeof to) != 0)
        throw std::runtime_error("connect");
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = send(s.fd(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break; // the server may refuse early; what it answered still counts
        sent += static_cast<std::size_t>(n);
    }
    if (halfClose)
        shutdown(s.fd(), SHUT_WR);
    std::string received;
    char chunk[4096];
    for (;;) {
        const ssize_t n = recv(s.fd(), chunk, sizeof chunk, 0);
        if (n <= 0)
            break;
        received.append(chunk, static_cast<std::size_t>(n));
    }
    return received;
}

std::string PostRequest(const std::string& path, const std::string& body) {
    return "POST " + path + " HTTP/1.1\r\nUser-Agent:test\r\nContent-length:" + std::to_string(body.size()) +
           "\r\nHost:127.0.0.1\r\n\r\n" + body;
}

RawReply ParseRawReply(const std::string& bytes) {
    RawReply reply;
    const std::size_t end = bytes.find("\r\n\r\n");
    if (bytes.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos)
        return reply;
    reply.status = std::atoi(bytes.c_str() + 9);
    reply.header = bytes.substr(0, end + 4);
    reply.body = bytes.substr(end + 4);
    return reply;
}

} // namespace tarntest
