// Helpers for the binary message tests: byte vectors written as hex, a
// stream over them, and an independent reader of the wire format.
#ifndef TARN_TESTS_DEAD_BYTES_H
#define TARN_TESTS_DEAD_BYTES_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "dead/Stream.h"
#include "vcom/MemHolder.h"

namespace deadtest {

using Bytes = std::vector<unsigned char>;

// "00 01 80 00" -> {0x00, 0x01, 0x80, 0x00}; blanks are ignored.
inline Bytes Hex(const std::string& text) {
    Bytes out;
    std::string digits;
    for (char c : text)
        if (c != ' ')
            digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

inline std::string ToHex(const unsigned char* data, std::size_t n) {
    std::string out;
    char part[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(part, sizeof part, i ? " %02X" : "%02X", data[i]);
        out += part;
    }
    return out;
}

inline std::string ToHex(const Bytes& bytes) { return ToHex(bytes.data(), bytes.size()); }

// The content of a stream's buffer (up to its length).
inline Bytes Content(const Dead::Stream& stream) {
    const Dead::Buffer& b = stream.GetBuffer();
    return Bytes(b.Data(), b.Data() + b.Length());
}

inline Dead::Stream StreamOf(const Bytes& bytes) {
    return Dead::Stream::FromBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

inline void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

inline void AppendU16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v >> 8));
    out.push_back(static_cast<unsigned char>(v));
}

inline void AppendString(Bytes& out, const std::string& s) {
    const std::uint32_t stored = static_cast<std::uint32_t>(s.size()) + 0x80000000u;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(stored >> shift));
    out.insert(out.end(), s.begin(), s.end());
}

using Fields = std::vector<std::pair<std::string, std::string>>;

inline Bytes EncodeReply(std::uint16_t minor, std::uint16_t status, const Fields& fields) {
    Bytes out;
    AppendU16(out, 1);
    AppendU16(out, minor);
    AppendU16(out, status);
    AppendU16(out, static_cast<std::uint16_t>(fields.size()));
    for (const auto& f : fields) {
        AppendString(out, f.first);
        AppendString(out, f.second);
    }
    return out;
}

inline Bytes EncodeRequest(std::uint16_t minor, const Fields& first, const Fields& second) {
    Bytes out;
    AppendU16(out, 1);
    AppendU16(out, minor);
    AppendU16(out, static_cast<std::uint16_t>(first.size()));
    AppendU16(out, static_cast<std::uint16_t>(second.size()));
    for (const Fields* list : {&first, &second})
        for (const auto& f : *list) {
            AppendString(out, f.first);
            AppendString(out, f.second);
        }
    return out;
}

// A text handed out by the library, freed with TarnClientLib_MemFree.
inline std::string Take(char* text, bool* wasNull = nullptr) {
    vcom::LibMemHolder holder(text);
    if (wasNull)
        *wasNull = text == nullptr;
    return text ? std::string(text) : std::string("<null>");
}

} // namespace deadtest

#endif
