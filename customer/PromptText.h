// Texts in and out of the fixed 40-byte fields of a LoginPrompt. Nothing is
// ever written beyond a field, and a field the host filled to the brim
// without a terminator is still read safely.
#ifndef TARN_CUSTOMER_PROMPTTEXT_H
#define TARN_CUSTOMER_PROMPTTEXT_H

#include <cstddef>
#include <string>

namespace customer {

constexpr std::size_t kPromptFieldSize = 40;

// Copies at most 39 characters of text and always terminates the field.
void SetPromptText(char (&field)[kPromptFieldSize], const std::string& text);

// The field's text: up to its first NUL, at most all 40 bytes.
std::string PromptText(const char (&field)[kPromptFieldSize]);

} // namespace customer

#endif
