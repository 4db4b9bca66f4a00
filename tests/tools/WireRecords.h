// Request bodies made, and reply bodies read, with the library's own message
// factory: what a client puts on the wire and takes from it.
#ifndef TARN_TESTS_TOOLS_WIRERECORDS_H
#define TARN_TESTS_TOOLS_WIRERECORDS_H

#include <cstdint>
#include <string>

namespace tarntest {

std::string AddressRequestBody(const char* product, const char* category, const char* server,
                               const char* att1 = nullptr);
std::string CustomerRequestBody(const char* product, const char* publicName, const char* password,
                                const char* event, const char* contextId = nullptr);

struct ReplyRecord {
    bool decoded = false;
    std::uint16_t minorId = 0;
    std::uint16_t status = 0;
    std::int32_t fieldCount = 0;
    std::string serverList; // AddressReply
    std::string key;        // TicketReply
    std::string lifetime;   // TicketReply
};

ReplyRecord ReadReply(const std::string& body);

} // namespace tarntest

#endif
