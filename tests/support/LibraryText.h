// Texts the library hands out: copied, then freed with TarnClientLib_MemFree.
#ifndef TARN_TESTS_SUPPORT_LIBRARYTEXT_H
#define TARN_TESTS_SUPPORT_LIBRARYTEXT_H

#include <string>

#include <tarnclient/TarnClient.h>

namespace tarntest {

// The text, or "<null>" for none.
inline std::string Take(char* text) {
    std::string copy = text ? text : "<null>";
    TarnClientLib_MemFree(text);
    return copy;
}

} // namespace tarntest

#endif
