// "ADDR:PORT" as given to --listen.
#ifndef TARN_TOOLS_DEVSERVER_LISTENADDRESS_H
#define TARN_TOOLS_DEVSERVER_LISTENADDRESS_H

#include <string>

namespace devserver {

struct ListenAddress {
    std::string host;
    int port = 0; // 0: any free port
};

// Splits at the last ':'; throws std::invalid_argument unless the host is
// non-empty and the port a number from 0 to 65535.
ListenAddress ParseListenAddress(const std::string& text);

} // namespace devserver

#endif
