// Readable texts for the codes a host meets. The library's own string table
// is not reachable from a host, so the host keeps its own wording.
#ifndef TARN_TOOLS_TARN_CODETEXTS_H
#define TARN_TOOLS_TARN_CODETEXTS_H

#include <cstdint>
#include <string>

namespace tarn {

// A library result code, e.g. "code -5 (invalid argument)".
std::string ResultText(std::int32_t code);

// An application error reported by the server, e.g.
// "error 2006: the password is wrong".
std::string AppErrorText(std::int32_t code);

} // namespace tarn

#endif
