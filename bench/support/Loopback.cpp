#include "bench/support/Loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "bench/support/Measure.h"

namespace bench {

namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool SendAll(int fd, const char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t sent = send(fd, data, count, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

void WriteAll(int fd, const char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t written = write(fd, data, count);
        if (written <= 0)
            return;
        data += written;
        count -= static_cast<std::size_t>(written);
    }
}

struct Connection {
    std::string request;
    std::size_t sent = 0;
    bool answering = false;
};

// The child's loop: never returns.
[[noreturn]] void Serve(int listener, const std::string& reply, int requestPipe) {
    const int poller = epoll_create1(0);
    epoll_event listen{};
    listen.events = EPOLLIN;
    listen.data.fd = listener;
    epoll_ctl(poller, EPOLL_CTL_ADD, listener, &listen);
    std::unordered_map<int, Connection> connections;
    epoll_event events[64];
    char chunk[65536];
    for (;;) {
        const int ready = epoll_wait(poller, events, 64, -1);
        for (int e = 0; e < ready; ++e) {
            const int fd = events[e].data.fd;
            if (fd == listener) {
                const int client = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK);
                if (client < 0)
                    continue;
                epoll_event in{};
                in.events = EPOLLIN;
                in.data.fd = client;
                epoll_ctl(poller, EPOLL_CTL_ADD, client, &in);
                connections[client] = Connection{};
                continue;
            }
            Connection& c = connections[fd];
            bool done = false;
            if (events[e].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) {
                for (;;) {
                    const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
                    if (got > 0) {
                        if (!c.answering)
                            c.request.append(chunk, static_cast<std::size_t>(got));
                        continue;
                    }
                    done = got == 0 || errno != EAGAIN;
                    break;
                }
                std::size_t length = 0;
                const std::size_t end = c.answering ? std::string::npos : HeaderEnd(c.request, length);
                if (!done && end != std::string::npos && c.request.size() >= end + length) {
                    c.answering = true;
                    if (requestPipe >= 0) {
                        WriteAll(requestPipe, c.request.data(), c.request.size());
                        close(requestPipe);
                        requestPipe = -1;
                    }
                }
            }
            if (!done && c.answering && c.sent < reply.size()) {
                const ssize_t sent = send(fd, reply.data() + c.sent, reply.size() - c.sent, MSG_NOSIGNAL);
                if (sent > 0)
                    c.sent += static_cast<std::size_t>(sent);
                else if (errno != EAGAIN)
                    done = true;
                // All said: the close is the client's, so that ours is no reset.
                if (c.sent == reply.size())
                    shutdown(fd, SHUT_WR);
                epoll_event next{};
                next.events = c.sent < reply.size() ? EPOLLIN | EPOLLOUT : EPOLLIN;
                next.data.fd = fd;
                epoll_ctl(poller, EPOLL_CTL_MOD, fd, &next);
            }
            if (done) {
                close(fd);
                connections.erase(fd);
            }
        }
    }
}

} // namespace

int ListenLoopback(std::uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 512) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        Die("cannot listen on 127.0.0.1");
    port = ntohs(address.sin_port);
    return fd;
}

LoopServer::LoopServer(int listener, const std::function<std::string()>& makeReply) {
    int fds[2];
    if (pipe(fds) != 0)
        Die("pipe");
    const pid_t parent = getpid();
    m_child = fork();
    if (m_child < 0)
        Die("fork");
    if (m_child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(0);
        close(fds[0]);
        Serve(listener, makeReply(), fds[1]);
    }
    close(fds[1]);
    m_requestPipe = fds[0];
}

LoopServer::~LoopServer() {
    if (m_requestPipe >= 0)
        close(m_requestPipe);
    kill(m_child, SIGKILL);
    waitpid(m_child, nullptr, 0);
}

std::string LoopServer::FirstRequest() {
    std::string request;
    char chunk[4096];
    ssize_t got = 0;
    while ((got = read(m_requestPipe, chunk, sizeof chunk)) > 0)
        request.append(chunk, static_cast<std::size_t>(got));
    close(m_requestPipe);
    m_requestPipe = -1;
    return request;
}

std::size_t HeaderEnd(const std::string& message, std::size_t& contentLength) {
    const std::size_t blank = message.find("\r\n\r\n");
    if (blank == std::string::npos)
        return std::string::npos;
    contentLength = 0;
    for (std::size_t line = message.find("\r\n") + 2; line < blank; line = message.find("\r\n", line) + 2) {
        static const char kName[] = "content-length:";
        std::size_t i = 0;
        while (kName[i] && line + i < blank && std::tolower(static_cast<unsigned char>(message[line + i])) == kName[i])
            ++i;
        if (!kName[i])
            contentLength = std::strtoul(message.c_str() + line + i, nullptr, 10);
    }
    return blank + 4;
}

RawReply::~RawReply() { std::free(m_data); }

bool RawExchange(std::uint16_t port, const std::string& request, RawReply& reply) {
    reply.m_size = 0;
    reply.m_bodyStart = 0;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(port);
    bool ok = fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
              SendAll(fd, request.data(), request.size());
    std::size_t length = 0;
    while (ok) {
        if (reply.m_bodyStart == 0 && reply.m_size > 0) {
            // The header is small: look for its end in what is there.
            const std::string head(reply.m_data, std::min<std::size_t>(reply.m_size, 4096));
            const std::size_t end = HeaderEnd(head, length);
            if (end != std::string::npos)
                reply.m_bodyStart = end;
        }
        const std::size_t want = reply.m_bodyStart ? reply.m_bodyStart + length : reply.m_size + 4096;
        if (reply.m_bodyStart && reply.m_size >= want)
            break;
        if (reply.m_capacity < want) {
            char* grown = static_cast<char*>(std::realloc(reply.m_data, want));
            if (!grown)
                break;
            reply.m_data = grown;
            reply.m_capacity = want;
        }
        const ssize_t got = recv(fd, reply.m_data + reply.m_size, reply.m_capacity - reply.m_size, 0);
        ok = got > 0;
        if (ok)
            reply.m_size += static_cast<std::size_t>(got);
    }
    if (fd >= 0)
        close(fd);
    return ok;
}

} // namespace bench
