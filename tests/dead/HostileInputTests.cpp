// Short and hostile message bodies: decoding never
// crashes, never reads past the data, and returns what could be read.
//
// Documented results:
// - fewer than 4 bytes, or a wrong envelope: null, -1, position restored;
// - an envelope with a short record: the record, with counts and status that
//   could not be read as 0;
// - counts larger than the fields that follow: that many fields, those that
//   could not be read empty;
// - a string length that is negative or runs past the end: that string stays
//   empty, the stream's status is reset after the field, and decoding goes on
//   right after the 4-byte length.
#include <gtest/gtest.h>

#include <string>

#include "address/Records.h"
#include "dead/Message.h"
#include "dead/Stream.h"
#include "tests/dead/Bytes.h"
#include "vcom/Ref.h"

namespace {

using namespace deadtest;
using address::IReplyStatus;
using address::IRequestCounts;
using address::ITicketReplyFields;
using Dead::IMessage;
using Dead::Stream;

template <class I>
vcom::ref<I> As(vcom::IComponent* obj) {
    std::int32_t err = 99;
    return vcom::Query<I>(obj, &err);
}

vcom::ref<vcom::IComponent> Decode(bool reply, const Bytes& bytes, std::int32_t* err) {
    Stream s = StreamOf(bytes);
    vcom::ref<Dead::IMessageFactory> f = Dead::GetMessageFactory();
    vcom::IComponent* r = reply ? f->DecodeReply(-100, err, &s) : f->DecodeRequest(-100, err, &s);
    if (!r) {
        EXPECT_EQ(s.GetBuffer().Position(), 0u);
    }
    return vcom::ref<vcom::IComponent>(r);
}

// A request body grows in steps of 128 bytes, each growth copying what is
// there; for the megabyte that 131070 empty fields make, a larger step keeps
// the test fast (the growth rule itself is tested in BufferTests.cpp).
Bytes Reencode(vcom::IComponent* record, std::uint32_t step = 128) {
    Stream s = Stream::Growable(80, step);
    EXPECT_EQ(As<IMessage>(record)->Write(&s), 0);
    return Content(s);
}

TEST(HostileInput, RepliesTruncatedAtEveryOffset) {
    const Fields fields = {{"key", "0123456789"}, {"lifetime", "3600"}};
    const Bytes full = EncodeReply(4, 2006, fields);
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        const Bytes part(full.begin(), full.begin() + cut);
        std::int32_t err = 99;
        auto r = Decode(true, part, &err);
        if (cut < 4) {
            EXPECT_FALSE(r) << cut;
            EXPECT_EQ(err, vcom::Failure);
            continue;
        }
        ASSERT_TRUE(r) << cut;
        EXPECT_EQ(err, 0);
        auto status = As<IReplyStatus>(r.get());
        EXPECT_EQ(status->GetStatus(), cut >= 6 ? 2006 : 0) << cut;
        EXPECT_EQ(status->GetFieldCount(), cut >= 8 ? 2 : 0) << cut;
        // Whatever was read, the record writes itself again.
        const Bytes again = Reencode(r.get());
        if (cut == full.size()) {
            EXPECT_EQ(again, full);
        }
        // A string is read whole or not at all: the field "key" is there once
        // its name is complete, and has its value once that is complete.
        const std::size_t nameEnd = 8 + 4 + 3, valueEnd = nameEnd + 4 + 10;
        const std::string key = Take(As<ITicketReplyFields>(r.get())->GetKey());
        EXPECT_EQ(key, cut >= valueEnd ? "0123456789" : cut >= nameEnd ? "" : "<null>") << cut;
    }
}

TEST(HostileInput, RequestsTruncatedAtEveryOffset) {
    const Bytes full = EncodeRequest(3, {{"a", "b"}}, {{"product", "P"}, {"eventname", "E"}});
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        const Bytes part(full.begin(), full.begin() + cut);
        std::int32_t err = 99;
        auto r = Decode(false, part, &err);
        if (cut < 4) {
            EXPECT_FALSE(r) << cut;
            continue;
        }
        ASSERT_TRUE(r) << cut;
        auto counts = As<IRequestCounts>(r.get());
        EXPECT_EQ(counts->GetFirstListCount(), cut >= 6 ? 1 : 0) << cut;
        EXPECT_EQ(counts->GetSecondListCount(), cut >= 8 ? 2 : 0) << cut;
        const Bytes again = Reencode(r.get());
        if (cut == full.size()) {
            EXPECT_EQ(again, full);
        }
    }
}

TEST(HostileInput, NegativeLengths) {
    // status 0, 2 fields: the first name has length -1 (7F FF FF FF), then a
    // good field. The bad string stays empty and reading goes on after it.
    Bytes bytes = Hex("00 01 00 04 00 00 00 02 7F FF FF FF");
    AppendString(bytes, "key");
    AppendString(bytes, "K");
    std::int32_t err = 99;
    auto r = Decode(true, bytes, &err);
    ASSERT_TRUE(r);
    EXPECT_EQ(As<IReplyStatus>(r.get())->GetFieldCount(), 2);
    EXPECT_EQ(Take(As<ITicketReplyFields>(r.get())->GetKey()), "K");
    EXPECT_EQ(Reencode(r.get()), EncodeReply(4, 0, {{"", ""}, {"key", "K"}}));

    // INT_MIN as a length (00 00 00 00).
    auto m = Decode(true, Hex("00 01 00 02 00 00 00 01 00 00 00 00 00 00 00 00"), &err);
    ASSERT_TRUE(m);
    EXPECT_EQ(As<IReplyStatus>(m.get())->GetFieldCount(), 1);
    EXPECT_EQ(Reencode(m.get()), EncodeReply(2, 0, {{"", ""}}));
}

TEST(HostileInput, LengthsPastTheEnd) {
    for (const char* length : {"80 00 00 05", "80 01 00 00", "FF FF FF FF"}) {
        Bytes bytes = Hex(std::string("00 01 00 04 00 00 00 01 ") + length + " 61 62");
        std::int32_t err = 99;
        auto r = Decode(true, bytes, &err);
        ASSERT_TRUE(r) << length;
        EXPECT_EQ(err, 0);
        EXPECT_EQ(As<IReplyStatus>(r.get())->GetFieldCount(), 1);
        EXPECT_EQ(Reencode(r.get()), EncodeReply(4, 0, {{"", ""}}));
    }
}

TEST(HostileInput, CountsOf65535WithNoData) {
    std::int32_t err = 99;
    auto reply = Decode(true, Hex("00 01 00 04 FF FF FF FF"), &err);
    ASSERT_TRUE(reply);
    EXPECT_EQ(As<IReplyStatus>(reply.get())->GetStatus(), 65535);
    EXPECT_EQ(As<IReplyStatus>(reply.get())->GetFieldCount(), 65535);
    EXPECT_EQ(As<ITicketReplyFields>(reply.get())->GetKey(), nullptr);

    auto request = Decode(false, Hex("00 01 00 01 FF FF FF FF"), &err);
    ASSERT_TRUE(request);
    EXPECT_EQ(As<IRequestCounts>(request.get())->GetFirstListCount(), 65535);
    EXPECT_EQ(As<IRequestCounts>(request.get())->GetSecondListCount(), 65535);
    // 2 * 65535 empty fields of 8 bytes each, after the 8-byte header.
    EXPECT_EQ(Reencode(request.get(), 1u << 20).size(), 8u + 2u * 65535u * 8u);
}

TEST(HostileInput, AListOverSixteenBitsCannotBeWritten) {
    std::int32_t err = 99;
    auto reply = Decode(true, Hex("00 01 00 02 00 00 FF FF"), &err);
    ASSERT_TRUE(reply);
    // Reading appends: one more field makes 65536, whose count has no 16-bit form.
    Stream more = StreamOf(Hex("00 00 00 01"));
    ASSERT_EQ(As<IMessage>(reply.get())->Read(&more), 0);
    EXPECT_EQ(As<IReplyStatus>(reply.get())->GetFieldCount(), 65536);
    Stream out = Stream::Growable(80, 1u << 20);
    EXPECT_EQ(As<IMessage>(reply.get())->Write(&out), vcom::Failure);
    EXPECT_EQ(out.GetBuffer().Length(), 0u);
}

TEST(HostileInput, EveryByteValueInTheHeader) {
    // Every minor id and a short body: only 2 and 4 decode as replies, 1 and 3
    // as requests.
    for (unsigned minor = 0; minor < 300; ++minor) {
        Bytes bytes = Hex("00 01");
        AppendU16(bytes, static_cast<std::uint16_t>(minor));
        std::int32_t err = 99;
        EXPECT_EQ(static_cast<bool>(Decode(true, bytes, &err)), minor == 2 || minor == 4) << minor;
        EXPECT_EQ(static_cast<bool>(Decode(false, bytes, &err)), minor == 1 || minor == 3) << minor;
    }
}

} // namespace
