#include "customer/PromptText.h"

#include <algorithm>
#include <cstring>

namespace customer {

void SetPromptText(char (&field)[kPromptFieldSize], const std::string& text) {
    const std::size_t length = std::min(text.size(), kPromptFieldSize - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string PromptText(const char (&field)[kPromptFieldSize]) {
    const char* end = std::find(field, field + kPromptFieldSize, '\0');
    return std::string(field, end);
}

} // namespace customer
