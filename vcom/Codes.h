// Failure codes inside the library travel as thrown `long` values and become
// results or `err` out-parameters at the interface boundary.
#ifndef TARN_VCOM_CODES_H
#define TARN_VCOM_CODES_H

#include <tarnclient/TarnClient.h>

namespace vcom {

using Code = long;

[[noreturn]] inline void Fail(Code code) { throw code; }

} // namespace vcom

#endif
