// The process-wide request lock: at most one exchange of the whole process
// is in flight. A caller waits its turn for at most the exchange ahead of
// it (whose own bounds end it), or less when its call is stopped or its
// deadline passes first.
#ifndef TARN_HTTP_REQUESTLOCK_H
#define TARN_HTTP_REQUESTLOCK_H

#include "platform/Wait.h"

namespace http {

// The turn of one exchange, from construction to destruction. Construction
// throws CHttpException (after tracing why) when the call's limits end the
// wait first.
class RequestTurn {
public:
    explicit RequestTurn(const platform::WaitLimits& call);
    ~RequestTurn();
    RequestTurn(const RequestTurn&) = delete;
    RequestTurn& operator=(const RequestTurn&) = delete;
};

} // namespace http

#endif
