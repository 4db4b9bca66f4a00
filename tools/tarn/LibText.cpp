#include "LibText.h"

#include <tarnclient/TarnClient.h>

namespace tarn {

std::string TakeText(char* text) {
    if (!text)
        return std::string();
    std::string copy(text);
    TarnClientLib_MemFree(text);
    return copy;
}

} // namespace tarn
