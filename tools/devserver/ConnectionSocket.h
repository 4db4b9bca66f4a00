// The socket a request arrived on. The HTTP library does not hand it to a
// handler, but two faults need it: closing without any reply, and holding the
// connection open until the client gives up. It is found among the process's
// sockets by the two addresses of the connection (Linux only).
#ifndef TARN_TOOLS_DEVSERVER_CONNECTIONSOCKET_H
#define TARN_TOOLS_DEVSERVER_CONNECTIONSOCKET_H

#include <string>

#include "StopSignal.h"

namespace devserver {

class ConnectionSocket {
public:
    ConnectionSocket(const std::string& remoteAddress, int remotePort, int localPort);

    bool Found() const { return m_fd >= 0; }
    // Ends the connection in both directions; nothing more reaches the client.
    // The descriptor itself stays with the HTTP library, which closes it.
    void Shutdown();
    // Returns once the client has closed its side, or stop is raised.
    void WaitForHangUp(const StopSignal& stop) const;

private:
    int m_fd = -1;
};

} // namespace devserver

#endif
