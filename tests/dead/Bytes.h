// Helpers for the binary message tests: hex byte vectors, an independent
// encoder of the wire format, and short ways to write and decode records.
#ifndef TARN_TESTS_DEAD_BYTES_H
#define TARN_TESTS_DEAD_BYTES_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dead/Message.h"
#include "dead/MessageFactory.h"
#include "dead/Stream.h"
#include "vcom/MemHolder.h"
#include "vcom/Ref.h"

namespace deadtest {

using Bytes = std::vector<unsigned char>;
using Fields = std::vector<std::pair<std::string, std::string>>;

// "00 01 80 00" -> {0x00, 0x01, 0x80, 0x00}; blanks are ignored.
inline Bytes Hex(const std::string& text) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < text.size(); i += text[i] == ' ' ? 1 : 2)
        if (text[i] != ' ')
            out.push_back(static_cast<unsigned char>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return out;
}

inline Bytes Content(const Dead::Buffer& b) { return Bytes(b.Data(), b.Data() + b.Length()); }
inline Bytes Content(const Dead::Stream& s) { return Content(s.GetBuffer()); }

inline Dead::Stream StreamOf(const Bytes& bytes) {
    return Dead::Stream::FromBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

inline void AppendU16(Bytes& out, std::size_t v) {
    out.push_back(static_cast<unsigned char>(v >> 8));
    out.push_back(static_cast<unsigned char>(v));
}

inline void AppendString(Bytes& out, const std::string& s) {
    const std::uint32_t stored = static_cast<std::uint32_t>(s.size()) + 0x80000000u;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(stored >> shift));
    out.insert(out.end(), s.begin(), s.end());
}

inline void AppendFields(Bytes& out, const Fields& fields) {
    for (const auto& f : fields) {
        AppendString(out, f.first);
        AppendString(out, f.second);
    }
}

inline Bytes EncodeReply(std::uint16_t minor, std::uint16_t status, const Fields& fields) {
    Bytes out;
    for (std::size_t v : {std::size_t{1}, std::size_t{minor}, std::size_t{status}, fields.size()})
        AppendU16(out, v);
    AppendFields(out, fields);
    return out;
}

inline Bytes EncodeRequest(std::uint16_t minor, const Fields& first, const Fields& second) {
    Bytes out;
    for (std::size_t v : {std::size_t{1}, std::size_t{minor}, first.size(), second.size()})
        AppendU16(out, v);
    AppendFields(out, first);
    AppendFields(out, second);
    return out;
}

// A text handed out by the library, freed with TarnClientLib_MemFree.
inline std::string Take(char* text) {
    vcom::LibMemHolder holder(text);
    return text ? std::string(text) : std::string("<null>");
}

template <class I>
vcom::ref<I> As(vcom::IComponent* obj) {
    std::int32_t err = 99;
    return vcom::Query<I>(obj, &err);
}

// What the record writes into a fresh request body (growth step as given).
inline Bytes Encode(vcom::IComponent* record, std::uint32_t step = 128) {
    Dead::Stream s = Dead::Stream::Growable(80, step);
    EXPECT_EQ(As<Dead::IMessage>(record)->Write(&s), 0);
    EXPECT_EQ(s.GetBuffer().Status(), 0);
    return Content(s);
}

// DecodeReply (reply) or DecodeRequest over bytes; a refusal must leave the
// position where decoding started.
inline vcom::ref<vcom::IComponent> Decode(bool reply, const Bytes& bytes, std::int32_t* err,
                                          std::uint32_t* position = nullptr, std::int32_t id = -100) {
    Dead::Stream s = StreamOf(bytes);
    vcom::ref<Dead::IMessageFactory> f = Dead::GetMessageFactory();
    *err = 99;
    vcom::IComponent* r = reply ? f->DecodeReply(id, err, &s) : f->DecodeRequest(id, err, &s);
    if (!r) {
        EXPECT_EQ(s.GetBuffer().Position(), 0u);
    }
    if (position)
        *position = s.GetBuffer().Position();
    return vcom::ref<vcom::IComponent>(r);
}

} // namespace deadtest

#endif
