// One complete service call over HTTP: connect, POST the request record,
// wait for the reply, read its body and decode it into a record.
#ifndef TARN_HTTP_MAKEHTTPREQUEST_H
#define TARN_HTTP_MAKEHTTPREQUEST_H

#include <cstdint>
#include <string>

#include "dead/Message.h"
#include "platform/Wait.h"
#include "vcom/Ref.h"

namespace Utility {

// Returns 200 on success and 999 on any failure; never throws. The step that
// failed has traced why (a "failed:" or "refused:" line, kept by the
// thread's FailureRecord).
//
// record: in, the request record (an empty holder is a failure); it is
// released once the reply body is in. Out, the decoded reply record, or
// empty when there is none.
//
// Calls are serialised process-wide: a second caller waits until the first
// exchange has closed its connection, or until its own call's limits end
// the wait (a stop request, a deadline). call bounds the whole exchange as
// well; the exchange's own bounds apply besides.
std::int32_t MakeHttpRequest(const std::string& strIPAddress, std::uint32_t dwPort, const std::string& strAgent,
                             const std::string& strRequestHeader, const std::string& strRequestType,
                             vcom::ref<Dead::IMessage>& record, const platform::WaitLimits& call);

} // namespace Utility

#endif
