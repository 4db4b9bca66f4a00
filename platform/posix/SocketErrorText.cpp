#include "platform/SocketErrorText.h"

#include <cerrno>

namespace platform {

namespace {

const char* Meaning(int error) {
    switch (error) {
    case ECONNREFUSED: return "connection refused";
    case ETIMEDOUT: return "timed out";
    case ECONNRESET: return "connection reset by the peer";
    case EPIPE: return "connection closed by the peer";
    case EHOSTUNREACH: return "host unreachable";
    case ENETUNREACH: return "network unreachable";
    case EADDRNOTAVAIL: return "address not available";
    case EINPROGRESS: return "no answer to the connection attempt";
    default: return "socket error";
    }
}

} // namespace

std::string SocketErrorText(int error) { return std::string(Meaning(error)) + " (" + std::to_string(error) + ")"; }

} // namespace platform
