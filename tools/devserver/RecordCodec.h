// The binary records of the exchange, as the server sees them: request
// bodies decoded through the library's message factory, replies encoded by it.
#ifndef TARN_TOOLS_DEVSERVER_RECORDCODEC_H
#define TARN_TOOLS_DEVSERVER_RECORDCODEC_H

#include <cstdint>
#include <stdexcept>
#include <string>

#include "AddressService.h"
#include "TicketService.h"

namespace devserver {

// A body that is not exactly one request record.
class BadRequestBody : public std::runtime_error {
public:
    explicit BadRequestBody(const std::string& reason) : std::runtime_error(reason) {}
};

struct DecodedRequest {
    enum class Kind { Address, Ticket } kind = Kind::Address;
    AddressQuery address; // Kind::Address
    TicketQuery ticket;   // Kind::Ticket
};

// Throws BadRequestBody when body is not a request record, when the record
// runs past the body or leaves bytes after it, or when an address query lacks
// product, category or server.
DecodedRequest DecodeRequestBody(const std::string& body);

// An AddressReply with status and, when status is 0, the field "serverlist".
std::string EncodeAddressReply(std::uint16_t status, const std::string& serverList);
// A TicketReply with status and, when status is 0, the fields "key" and "lifetime".
std::string EncodeTicketReply(std::uint16_t status, const std::string& key, const std::string& lifetime);

} // namespace devserver

#endif
