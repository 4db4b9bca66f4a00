#include "ConnectionSocket.h"

#include <cstdlib>
#include <cstring>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace devserver {

namespace {

// Port and printable address of a socket end; false when fd is no socket.
bool Endpoint(int fd, bool peer, std::string& address, int& port) {
    sockaddr_storage storage;
    socklen_t size = sizeof storage;
    std::memset(&storage, 0, sizeof storage);
    auto* raw = reinterpret_cast<sockaddr*>(&storage);
    if ((peer ? getpeername(fd, raw, &size) : getsockname(fd, raw, &size)) != 0)
        return false;
    char text[INET6_ADDRSTRLEN] = {0};
    if (storage.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&storage);
        inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        port = ntohs(in->sin_port);
    } else if (storage.ss_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&storage);
        inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
        port = ntohs(in6->sin6_port);
    } else {
        return false;
    }
    address = text;
    return true;
}

class Directory {
public:
    explicit Directory(const char* path) : m_dir(opendir(path)) {}
    ~Directory() {
        if (m_dir)
            closedir(m_dir);
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

} // namespace

ConnectionSocket::ConnectionSocket(const std::string& remoteAddress, int remotePort, int localPort) {
    Directory fds("/proc/self/fd");
    if (!fds.get())
        return;
    while (const dirent* entry = readdir(fds.get())) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0')
            continue;
        std::string peerAddress, localAddress;
        int peerPort = -1, ownPort = -1;
        if (Endpoint(static_cast<int>(fd), true, peerAddress, peerPort) && peerPort == remotePort &&
            peerAddress == remoteAddress && Endpoint(static_cast<int>(fd), false, localAddress, ownPort) &&
            ownPort == localPort) {
            m_fd = static_cast<int>(fd);
            return;
        }
    }
}

void ConnectionSocket::Shutdown() {
    if (m_fd >= 0)
        shutdown(m_fd, SHUT_RDWR);
}

void ConnectionSocket::WaitForHangUp(const StopSignal& stop) const {
    if (m_fd < 0)
        return;
    pollfd watch{m_fd, POLLRDHUP, 0};
    while (!stop.Raised()) {
        watch.revents = 0;
        const int ready = poll(&watch, 1, 100);
        if (ready > 0 && (watch.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)))
            return;
    }
}

} // namespace devserver
