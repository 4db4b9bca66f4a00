// One complete service call over HTTP: connect, POST, wait for the reply,
// read its body and, for a binary exchange, decode it into a record.
#ifndef TARN_HTTP_MAKEHTTPREQUEST_H
#define TARN_HTTP_MAKEHTTPREQUEST_H

#include <cstdint>
#include <string>

#include "dead/Message.h"
#include "vcom/Ref.h"

namespace Utility {

// Returns 200 on success and 999 on any failure; never throws.
//
// strResponseBody: on success with a record "Successful decoding of
// Dead::Buffer from HTTP Response", on success without one the reply body up
// to its first zero byte, on failure the failure text. *pdwBytesRead: the
// reply body bytes received (0 until the body is complete; may be null).
// ppMessage: null for a text exchange; otherwise *ppMessage is the request
// record (a null record is a failure), which is released once the reply
// body is in, and receives the decoded reply record (null if decoding fails).
//
// Calls are serialised process-wide: a second caller waits until the first
// exchange has closed its connection.
std::int32_t MakeHttpRequest(const std::string& strIPAddress, std::uint32_t dwPort, const std::string& strAgent,
                             const std::string& strRequestHeader, const std::string& strRequestType,
                             std::string& strResponseBody, std::uint32_t* pdwBytesRead, Dead::IMessage** ppMessage);

// The binary exchange with the record in a holder: the request leaves it only
// once every argument is made (so an allocation failure on the way cannot
// lose it), and the reply, or null, comes back into it. The result is
// MakeHttpRequest's; the response text is not kept.
std::int32_t MakeHttpRequest(const std::string& strIPAddress, std::uint32_t dwPort, const std::string& strAgent,
                             const std::string& strRequestHeader, const std::string& strRequestType,
                             vcom::ref<Dead::IMessage>& record);

} // namespace Utility

#endif
