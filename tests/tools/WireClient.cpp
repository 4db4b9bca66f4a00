#include "WireClient.h"

#include <cstdlib>
#include <stdexcept>

#include "tests/support/LoopbackSocket.h"
#include "tests/support/ServiceRecordBytes.h"

namespace tarntest {

std::string Exchange(int port, const std::string& bytes, bool halfClose) {
    namespace net = loopback;
    const net::Handle socket = net::ConnectTo(static_cast<std::uint16_t>(port));
    if (socket == net::NoSocket)
        throw std::runtime_error("connect");
    net::SendAll(socket, bytes.data(), bytes.size()); // what a server refusing early answered still counts
    if (halfClose)
        net::ShutdownSend(socket);
    std::string received;
    char chunk[4096];
    for (int n; (n = net::Receive(socket, chunk, sizeof chunk)) > 0;)
        received.append(chunk, static_cast<std::size_t>(n));
    net::Close(socket);
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

std::string AddressRequestBody(const char* product, const char* category, const char* server) {
    return RequestRecordBytes(1, {}, {{"product", product}, {"category", category}, {"server", server}});
}

std::string CustomerRequestBody(const char* product, const char* publicName, const char* password,
                                const char* event) {
    return RequestRecordBytes(3, {},
                              {{"product", product}, {"public", publicName}, {"password", password},
                               {"eventname", event}, {"machine", "{MACHINE}"}});
}

} // namespace tarntest
