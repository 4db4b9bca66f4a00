#include "platform/SocketErrorText.h"

#include <winsock2.h>

namespace platform {

namespace {

const char* Meaning(int error) {
    switch (error) {
    case WSAECONNREFUSED: return "connection refused";
    case WSAETIMEDOUT: return "timed out";
    case WSAECONNRESET: return "connection reset by the peer";
    case WSAECONNABORTED: return "connection aborted";
    case WSAEHOSTUNREACH: return "host unreachable";
    case WSAENETUNREACH: return "network unreachable";
    case WSAEADDRNOTAVAIL: return "address not available";
    case WSAEWOULDBLOCK: return "no answer to the connection attempt";
    default: return "socket error";
    }
}

} // namespace

std::string SocketErrorText(int error) { return std::string(Meaning(error)) + " (" + std::to_string(error) + ")"; }

} // namespace platform
