// Dead::Stream: the typed big-endian encoding.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "dead/Stream.h"
#include "tests/dead/Bytes.h"

namespace {

using Dead::Stream;
using namespace deadtest;

std::string Int32Bytes(std::int32_t v) {
    Stream s = Stream::Growable(8, 8);
    s.WriteInt32(v);
    return ToHex(Content(s));
}

TEST(Stream, Int32GoldenVectors) {
    EXPECT_EQ(Int32Bytes(0), "80 00 00 00");
    EXPECT_EQ(Int32Bytes(INT_MIN), "00 00 00 00");
    EXPECT_EQ(Int32Bytes(INT_MAX), "FF FF FF FF");
    EXPECT_EQ(Int32Bytes(-1), "7F FF FF FF");
    EXPECT_EQ(Int32Bytes(5), "80 00 00 05");
}

TEST(Stream, UInt16IsTwoBytesMostSignificantFirst) {
    Stream s = Stream::Growable(8, 8);
    s.WriteUInt16(0x0102);
    s.WriteUInt16(0xFFFF);
    EXPECT_EQ(ToHex(Content(s)), "01 02 FF FF");
}

TEST(Stream, IntegersRoundTrip) {
    Stream s = Stream::Growable(4, 16);
    const std::int32_t values[] = {0, 1, -1, 5, INT_MIN, INT_MAX, 123456789, -987654321};
    for (std::int32_t v : values)
        s.WriteInt32(v);
    s.WriteUInt16(0);
    s.WriteUInt16(65535);
    s.GetBuffer().SetPosition(0);
    for (std::int32_t v : values) {
        std::int32_t got = 42;
        s.ReadInt32(got);
        EXPECT_EQ(got, v);
    }
    std::uint16_t u = 1;
    s.ReadUInt16(u);
    EXPECT_EQ(u, 0);
    s.ReadUInt16(u);
    EXPECT_EQ(u, 65535);
    EXPECT_EQ(s.GetBuffer().Status(), 0);
}

TEST(Stream, IntegersThatCannotBeReadAreZero) {
    Stream s = StreamOf(Hex("01"));
    std::uint16_t u = 9;
    s.ReadUInt16(u);
    EXPECT_EQ(u, 0);
    EXPECT_EQ(s.GetBuffer().Status(), Dead::BufferReadPastLength);
    std::int32_t i = 9;
    s.ReadInt32(i);
    EXPECT_EQ(i, 0);
}

TEST(Stream, EmptyAndAbsentStrings) {
    Stream s = Stream::Growable(8, 8);
    s.WriteString(std::string());
    EXPECT_EQ(ToHex(Content(s)), "80 00 00 00");
    Stream t = Stream::Growable(8, 8);
    t.WriteString(nullptr, 12);
    EXPECT_EQ(ToHex(Content(t)), "80 00 00 00");
}

TEST(Stream, StringIsLengthThenBytesWithoutTerminator) {
    Stream s = Stream::Growable(2, 2);
    s.WriteString("abc");
    EXPECT_EQ(ToHex(Content(s)), "80 00 00 03 61 62 63");
    s.WriteString("xyz", 2);
    EXPECT_EQ(ToHex(Content(s)), "80 00 00 03 61 62 63 80 00 00 02 78 79");
}

TEST(Stream, StringsRoundTripIncludingZeroBytes) {
    const std::string texts[] = {"", "a", std::string("a\0b", 3), std::string(1000, 'q')};
    Stream s = Stream::Growable(80, 128);
    for (const auto& t : texts)
        s.WriteString(t);
    s.GetBuffer().SetPosition(0);
    for (const auto& t : texts) {
        std::string got = "previous";
        s.ReadString(got);
        EXPECT_EQ(got, t);
    }
    EXPECT_EQ(s.GetBuffer().Status(), 0);
}

TEST(Stream, AFailedStringWriteIsUndone) {
    Stream s(std::make_unique<Dead::Buffer>(10u));
    s.WriteString("ab"); // 6 bytes
    s.WriteString("cdef"); // 8 more: does not fit
    EXPECT_EQ(s.GetBuffer().Status(), Dead::BufferWritePastCapacity);
    EXPECT_EQ(s.GetBuffer().Position(), 6u);
    EXPECT_EQ(s.GetBuffer().Length(), 6u);
    EXPECT_EQ(ToHex(Content(s)), "80 00 00 02 61 62");
}

TEST(Stream, AStringWriteAfterAFailureWritesNothing) {
    Stream s = Stream::Growable(16, 16);
    s.GetBuffer().SetStatus(Dead::BufferReadPastLength);
    s.WriteString("ab");
    EXPECT_EQ(s.GetBuffer().Length(), 0u);
    EXPECT_EQ(s.GetBuffer().Position(), 0u);
    EXPECT_EQ(s.GetBuffer().Status(), Dead::BufferReadPastLength);
}

TEST(Stream, ALengthPastTheEndLeavesTheTargetAsItWas) {
    Stream s = StreamOf(Hex("80 00 00 05 61 62 63"));
    std::string target = "unchanged";
    s.ReadString(target);
    EXPECT_EQ(target, "unchanged");
    EXPECT_EQ(s.GetBuffer().Status(), Dead::BufferReadPastLength);
    // The length itself was consumed; the bytes were not.
    EXPECT_EQ(s.GetBuffer().Position(), 4u);
}

TEST(Stream, ANegativeLengthLeavesTheTargetAsItWas) {
    Stream s = StreamOf(Hex("7F FF FF FF 61"));
    std::string target = "unchanged";
    s.ReadString(target);
    EXPECT_EQ(target, "unchanged");
    EXPECT_EQ(s.GetBuffer().Status(), Dead::BufferReadPastLength);

    Stream m = StreamOf(Hex("00 00 00 00")); // INT_MIN
    m.ReadString(target);
    EXPECT_EQ(target, "unchanged");
    EXPECT_EQ(m.GetBuffer().Status(), Dead::BufferReadPastLength);
}

TEST(Stream, ATruncatedLengthLeavesTheTargetAsItWas) {
    Stream s = StreamOf(Hex("80 00 00"));
    std::string target = "unchanged";
    s.ReadString(target);
    EXPECT_EQ(target, "unchanged");
    EXPECT_EQ(s.GetBuffer().Status(), Dead::BufferReadPastLength);
}

TEST(Stream, AStringReadAfterAFailureLeavesTheTarget) {
    Stream s = StreamOf(Hex("80 00 00 01 61"));
    s.GetBuffer().SetStatus(Dead::BufferWritePastCapacity);
    std::string target = "unchanged";
    s.ReadString(target);
    EXPECT_EQ(target, "unchanged");
    EXPECT_EQ(s.GetBuffer().Position(), 0u);
}

TEST(Stream, ALengthOfExactlyTheRestIsRead) {
    Stream s = StreamOf(Hex("80 00 00 02 61 62"));
    std::string target;
    s.ReadString(target);
    EXPECT_EQ(target, "ab");
    EXPECT_EQ(s.GetBuffer().Status(), 0);
    EXPECT_EQ(s.GetBuffer().Position(), 6u);
}

TEST(Stream, RawBytes) {
    Stream s = Stream::Growable(1, 4);
    s.WriteBytes("hello", 5);
    s.GetBuffer().SetPosition(1);
    char out[5] = {};
    s.ReadBytes(out, 4);
    EXPECT_STREQ(out, "ello");
}

TEST(Stream, FromBytesCopies) {
    Bytes bytes = Hex("00 01");
    Stream s = StreamOf(bytes);
    bytes[1] = 9;
    std::uint16_t v = 0;
    s.ReadUInt16(v);
    EXPECT_EQ(v, 1);
}

} // namespace
