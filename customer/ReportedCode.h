// Failing with the code that a factory or a query reported for its null result.
#ifndef TARN_CUSTOMER_REPORTEDCODE_H
#define TARN_CUSTOMER_REPORTEDCODE_H

#include <cstdint>

#include "vcom/Codes.h"

namespace customer {

// A null result always fails, even if nothing negative was reported.
[[noreturn]] inline void FailWithReported(std::int32_t err) { vcom::Fail(err < 0 ? err : vcom::Failure); }

} // namespace customer

#endif
