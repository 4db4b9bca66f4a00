#include "ShownText.h"

#include <cstdint>
#include <cstdio>

namespace tarn {

namespace {

// The length of the well-formed UTF-8 sequence at text[at] (shortest form,
// no surrogate, at most U+10FFFF) and its code point; 0 when there is none.
std::size_t Utf8Sequence(const std::string& text, std::size_t at, std::uint32_t& point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
    if (lead >= 0xF5 || length == 0 || at + length > text.size())
        return 0;
    point = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        point = point << 6 | (byte(at + i) & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < least[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return 0;
    return length;
}

// Characters a terminal acts on, or that make text read otherwise than it is.
bool Acts(std::uint32_t point) {
    return point < 0x20 || (point >= 0x7F && point <= 0x9F) || point == 0x061C || point == 0x200E ||
           point == 0x200F || (point >= 0x2028 && point <= 0x202E) || (point >= 0x2066 && point <= 0x2069);
}

void AppendEscaped(std::string& out, const std::string& text, std::size_t at, std::size_t length) {
    for (std::size_t i = at; i < at + length; ++i) {
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[i]));
        out += escape;
    }
}

} // namespace

std::string Shown(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::uint32_t point = static_cast<unsigned char>(text[at]);
        const std::size_t length = point < 0x80 ? 1 : Utf8Sequence(text, at, point);
        if (length == 0)
            AppendEscaped(shown, text, at, 1);
        else if (Acts(point))
            AppendEscaped(shown, text, at, length);
        else
            shown.append(text, at, length);
        at += length ? length : 1;
    }
    return shown;
}

std::string JsonText(const nlohmann::json& document) {
    return document.dump(2, ' ', true, nlohmann::json::error_handler_t::replace);
}

} // namespace tarn
