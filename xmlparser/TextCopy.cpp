#include "xmlparser/TextCopy.h"

#include <cstdlib>
#include <cstring>

namespace xmlparser {

char* CopyText(std::string_view text) {
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy) {
        std::memcpy(copy, text.data(), text.size());
        copy[text.size()] = '\0';
    }
    return copy;
}

void FreeText(void* text) { std::free(text); }

} // namespace xmlparser
