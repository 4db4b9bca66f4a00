// A bare loopback client for throwing arbitrary bytes at a server, and the
// request bodies it sends.
#ifndef TARN_TESTS_TOOLS_WIRECLIENT_H
#define TARN_TESTS_TOOLS_WIRECLIENT_H

#include <cstdint>
#include <string>

namespace tarntest {

// Connects to 127.0.0.1:port, sends bytes, and returns all it receives until
// the server closes. With halfClose it then closes its sending side, which
// tells a server waiting for more that none will come; the HTTP library then
// takes the client for gone and sends no reply.
std::string Exchange(int port, const std::string& bytes, bool halfClose = false);

// A POST as the library writes it: lower-case "Content-length:" and no blank.
std::string PostRequest(const std::string& path, const std::string& body);

struct RawReply {
    int status = 0;     // 0: no status line at all
    std::string header; // up to and including the blank line
    std::string body;
};
RawReply ParseRawReply(const std::string& bytes);

std::string AddressRequestBody(const char* product, const char* category, const char* server);
std::string CustomerRequestBody(const char* product, const char* publicName, const char* password, const char* event);

} // namespace tarntest

#endif
