// The diagnostic trace: inner routines describe what they do in printf-style
// lines, and nothing is written anywhere.
#ifndef TARN_MESSAGES_TRACE_H
#define TARN_MESSAGES_TRACE_H

#include "platform/Format.h"

namespace tarnClientLib {

void Trace(const char* format, ...) TARN_PRINTF_FORMAT(1, 2);

} // namespace tarnClientLib

#endif
