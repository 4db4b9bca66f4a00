// Texts the library hands out belong to the caller; these helpers take them
// over so a test never leaks or frees with the wrong allocator.
#ifndef TARN_TESTS_ADDRESS_ADDRESSTESTTEXT_H
#define TARN_TESTS_ADDRESS_ADDRESSTESTTEXT_H

#include <string>

#include <tarnclient/TarnClient.h>

namespace addresstest {

// The text, or "<null>" for a null pointer; frees it either way.
inline std::string Take(char* text) {
    std::string copy = text ? text : "<null>";
    TarnClientLib_MemFree(text);
    return copy;
}

} // namespace addresstest

#endif
