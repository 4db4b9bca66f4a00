// The diagnostic trace: inner routines describe what they do in printf-style
// lines, and the step that fails says so and why.
//
// Lines go to the destination the environment variable TARN_TRACE names when
// the library first traces (read once: "stderr", or a file that lines are
// appended to), and to the host's sink (SetTraceSink) when one is set. With
// neither, a call returns after one atomic load, before formatting anything.
// Every line carries a time stamp and the thread's number, and each call's
// lines are written whole even when threads trace at once. Control
// characters in the text are written escaped, so nothing traced can start a
// line of its own or drive a terminal; a line break in a format starts a new
// line.
//
// Secrets (passwords, tickets) are never passed to these routines: where a
// line would show one, the caller passes Masked. Message bodies (request or
// reply bytes) are never traced.
#ifndef TARN_MESSAGES_TRACE_H
#define TARN_MESSAGES_TRACE_H

#include <string>
#include <string_view>

#include <tarnclient/TarnClient.h>

#include "platform/Format.h"

namespace tarnClientLib {

// What a line shows in place of a password or a ticket.
constexpr char Masked[] = "***";

// A line about what the library is doing.
void Trace(const char* format, ...) TARN_PRINTF_FORMAT(1, 2);

// The step that failed and why, once, by the layer that saw it fail (callers
// that only pass the failure on do not repeat it). "failed:" marks a call
// that did not complete, with kind saying how; "refused:" marks a server that
// answered no (an HTTP error status, an application status). The line is
// also kept by the thread's current FailureRecord (FailureRecord.h).
void TraceFailed(tarnclient::CallFailure kind, const char* format, ...) TARN_PRINTF_FORMAT(2, 3);
void TraceRefused(const char* format, ...) TARN_PRINTF_FORMAT(1, 2);

// Text from outside the library (a server's header, a server name) with
// every control character, line breaks included, written as \xNN: a
// server cannot add lines of its own to the trace.
std::string Printable(std::string_view text);

// Whether lines are being written. A step that could take place later when
// nobody reads the trace asks, so that a read trace keeps its order.
bool Tracing();

// The host's sink: every line, without its line end, on the thread that
// traced; null turns it off. Lines reach the sink one at a time, and once
// this returns the previous sink is never called again.
using TraceSink = void (*)(void* context, const char* line);
void SetTraceSink(TraceSink sink, void* context);

// Tests: from now on trace to destination ("stderr" or a file), or nowhere
// for null, instead of what TARN_TRACE says.
void SetTraceDestination(const char* destination);

} // namespace tarnClientLib

#endif
