// The diagnostic trace: inner routines describe what they do in printf-style
// lines, and the step that fails says so and why.
//
// Nothing is written unless the environment variable TARN_TRACE is set when
// the library first traces (it is read once): "stderr" writes to standard
// error, any other value names a file that lines are appended to. Unset, a
// call returns before formatting anything. Every line carries a time stamp
// and the thread's number, every value held in a SecretText is replaced by
// "***", and each call's lines are written whole even when threads trace at
// once.
//
// Message bodies (request or reply bytes) are never traced: a ticket in a
// reply is not known as a secret until the reply is decoded.
#ifndef TARN_MESSAGES_TRACE_H
#define TARN_MESSAGES_TRACE_H

#include "platform/Format.h"

namespace tarnClientLib {

// A line about what the library is doing.
void Trace(const char* format, ...) TARN_PRINTF_FORMAT(1, 2);

// The step that failed and why, once, by the layer that saw it fail (callers
// that only pass the failure on do not repeat it). "failed:" marks a request
// that did not complete (no connection, no or unreadable reply); "refused:"
// marks a server that answered no (an HTTP error status, an application status).
void TraceFailed(const char* format, ...) TARN_PRINTF_FORMAT(1, 2);
void TraceRefused(const char* format, ...) TARN_PRINTF_FORMAT(1, 2);

// Whether lines are being written. A step that could take place later when
// nobody reads the trace asks, so that a read trace keeps its order.
bool Tracing();

// Tests: from now on trace to destination ("stderr" or a file), or nowhere
// for null, instead of what TARN_TRACE says.
void SetTraceDestination(const char* destination);

} // namespace tarnClientLib

#endif
