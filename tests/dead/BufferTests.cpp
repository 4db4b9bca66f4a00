// Dead::Buffer, Dead::GrowableBuffer and Dead::Stream: cursor limits, growth
// and the typed big-endian encoding.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "dead/Buffer.h"
#include "tests/dead/Bytes.h"

namespace {

using Dead::Buffer;
using Dead::Stream;
using namespace deadtest;

TEST(Buffer, CopyAssignAndReserve) {
    Buffer b(8);
    b.WriteInt(0x01020304, 4);
    b.SetStatus(Dead::BufferReadPastLength);
    Buffer copy(b); // content, position and status
    EXPECT_NE(copy.Data(), b.Data());
    EXPECT_EQ(Content(copy), Hex("01 02 03 04"));
    EXPECT_EQ(copy.Position() + static_cast<unsigned>(-copy.Status()), 8u);
    b.Allocate(4); // clears everything but the status
    EXPECT_EQ(b.Capacity() * 100 + b.Length() * 10 + b.Position(), 400u);
    EXPECT_EQ(b.Status(), Dead::BufferReadPastLength);

    unsigned char src[] = {1, 2, 3};
    b.Assign(src, 3, false); // borrowed: destroying b must not free src
    EXPECT_EQ(b.Data(), src);
    b.Reserve(6); // copies into an area of its own
    EXPECT_NE(b.Data(), src);
    b.Reserve(2); // cuts, pulling cursor and length back
    EXPECT_EQ(Content(b), Hex("01 02"));
    b.Assign(nullptr, 5, true);
    EXPECT_EQ(b.Data(), nullptr);
    EXPECT_EQ(b.Capacity() + b.Length(), 0u);
}

TEST(Buffer, CursorAndCountsStopAtTheLimits) {
    Buffer b(11);
    b.SetPosition(11); // exactly the capacity
    b.SetLength(11);
    EXPECT_EQ(b.Status(), 0);
    for (bool length : {false, true}) {
        length ? b.SetLength(12) : b.SetPosition(12);
        EXPECT_EQ(b.Status(), Dead::BufferBadPosition);
        EXPECT_EQ(b.Position() + b.Length(), 22u);
        b.ResetStatus();
    }
    b.SetPosition(0);
    b.SetLength(0);
    b.WriteInt(1, 0); // byte counts outside 1..8 move nothing
    b.WriteInt(1, 9);
    b.WriteInt(0x0102, 2);
    b.WriteInt(0xA1B2C3D4E5F60718ull, 8);
    b.WriteInt(0xFF, 1); // exactly the capacity
    EXPECT_EQ(Content(b), Hex("01 02 A1 B2 C3 D4 E5 F6 07 18 FF"));
    b.WriteInt(0xFF, 1);
    b.WriteBytes("x", 0xFFFFFFFFu); // huge counts do not wrap
    EXPECT_EQ(b.Status(), Dead::BufferWritePastCapacity);
    EXPECT_EQ(b.Position(), 11u);
    b.ResetStatus();
    b.SetPosition(0);
    std::uint64_t v = 7;
    b.ReadInt(v, 9);
    EXPECT_EQ(v + b.Position() + static_cast<unsigned>(b.Status()), 0u);
    b.ReadInt(v, 2);
    EXPECT_EQ(v, 0x0102u);
    b.SetLength(3);
    b.ReadInt(v, 2); // stops at the length, not the capacity
    EXPECT_EQ(v + b.Position(), 2u);
    EXPECT_EQ(b.Status(), Dead::BufferReadPastLength);
    b.SetPosition(0);
    v = 77;
    b.ReadInt(v, 1); // nothing moves while a failure is recorded
    b.WriteInt(1, 1);
    EXPECT_EQ(v + b.Position(), 0u);
    b.ResetStatus();
    char out[3] = {};
    b.ReadBytes(out, 0xFFFFFFFFu);
    EXPECT_EQ(b.Status(), Dead::BufferReadPastLength);
    b.ResetStatus();
    b.ReadBytes(out, 3);
    EXPECT_EQ(b.Status(), 0);
    EXPECT_EQ(out[2], static_cast<char>(0xA1));
}

// Writes of one byte go through WriteInt, longer ones through WriteBytes.
TEST(GrowableBuffer, GrowsByWholeStepsKeptToSixteenBits) {
    struct Case {
        std::uint32_t capacity, step;
        std::vector<std::uint32_t> writes;
        std::uint32_t grownTo, length;
    } const cases[] = {
        {80, 128, {60}, 80, 60},          {80, 128, {80, 1}, 128, 81}, {80, 128, {300}, 384, 300},
        {80, 128, std::vector<std::uint32_t>(300, 1), 384, 300},     {80, 128, {256}, 384, 256},
        {128, 128, {128, 128}, 384, 256}, {0, 128, {2}, 128, 2},       {2, 0, {3}, 2, 0},
        {65534, 1, {65534, 1}, 65534, 65534}, // (65535 / 1 + 1) & 0xFFFF = 0: no growth
    };
    Bytes data(70000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 7);
    for (const Case& c : cases) {
        Dead::GrowableBuffer b(c.capacity, c.step);
        std::uint32_t at = 0, all = 0;
        for (std::uint32_t n : c.writes) {
            all += n;
            if (n == 1)
                b.WriteInt(data[at], 1);
            else
                b.WriteBytes(data.data() + at, n);
            at += b.Status() ? 0 : n;
        }
        const std::string name = std::to_string(c.capacity) + "/" + std::to_string(c.writes.size());
        EXPECT_EQ(b.Capacity(), c.grownTo) << name;
        EXPECT_EQ(b.Status(), all == c.length ? 0 : Dead::BufferWritePastCapacity) << name;
        EXPECT_TRUE(Content(b) == Bytes(data.begin(), data.begin() + c.length)) << name;
    }
}

TEST(Stream, IntegerGoldenVectorsAndRoundTrips) {
    const struct {
        std::int32_t value;
        const char* hex;
    } ints[] = {{0, "80 00 00 00"},  {INT_MIN, "00 00 00 00"}, {INT_MAX, "FF FF FF FF"},
                {-1, "7F FF FF FF"}, {5, "80 00 00 05"},       {-987654321, "45 21 97 4F"}};
    for (const auto& c : ints) {
        Stream s = Stream::Growable(2, 2);
        s.WriteInt32(c.value);
        EXPECT_EQ(Content(s), Hex(c.hex));
        s.GetBuffer().SetPosition(0);
        std::int32_t back = 42;
        s.ReadInt32(back);
        EXPECT_EQ(back, c.value);
    }
    Stream u = Stream::Growable(8, 8);
    u.WriteUInt16(0x0102);
    u.WriteUInt16(0xFFFF);
    EXPECT_EQ(Content(u), Hex("01 02 FF FF"));
    Stream s = StreamOf(Hex("01")); // what cannot be read is 0
    std::uint16_t v = 1;
    s.ReadUInt16(v);
    std::int32_t i = 9;
    s.ReadInt32(i);
    EXPECT_EQ(v + i, 0);
    EXPECT_EQ(s.GetBuffer().Status(), Dead::BufferReadPastLength);
}

TEST(Stream, StringsAreLengthThenBytesAndRoundTrip) {
    Stream s = Stream::Growable(2, 2);
    s.WriteString(std::string());
    s.WriteString(nullptr, 12);
    s.WriteString("abc");
    s.WriteString("xyz", 2);
    EXPECT_EQ(Content(s), Hex("80 00 00 00 80 00 00 00 80 00 00 03 61 62 63 80 00 00 02 78 79"));

    const std::string texts[] = {"", "a", std::string("a\0b", 3), std::string(1000, 'q')};
    Stream t = Stream::Growable(80, 128);
    for (const auto& text : texts)
        t.WriteString(text);
    t.GetBuffer().SetPosition(0);
    for (const auto& text : texts) {
        std::string got = "previous";
        t.ReadString(got);
        EXPECT_EQ(got, text);
    }
    EXPECT_EQ(t.GetBuffer().Status(), 0);
}

TEST(Stream, AFailedStringWriteIsUndone) {
    Stream s(std::make_unique<Dead::Buffer>(10u));
    s.WriteString("ab");   // 6 bytes
    s.WriteString("cdef"); // 8 more do not fit
    EXPECT_EQ(s.GetBuffer().Status(), Dead::BufferWritePastCapacity);
    EXPECT_EQ(Content(s), Hex("80 00 00 02 61 62"));
    EXPECT_EQ(s.GetBuffer().Position(), 6u);
    s.WriteString("x"); // nothing is written after a failure
    EXPECT_EQ(s.GetBuffer().Length(), 6u);
}

TEST(Stream, AStringThatCannotBeReadLeavesTheTarget) {
    const struct {
        const char* hex;
        bool failedBefore;
        std::uint32_t position; // the length is consumed, the bytes are not
    } cases[] = {
        {"80 00 00 05 61 62 63", false, 4}, // past the end
        {"7F FF FF FF 61", false, 4},       // -1
        {"00 00 00 00", false, 4},          // INT_MIN
        {"80 00 00", false, 0},             // a truncated length
        {"80 00 00 01 61", true, 0},        // a failure already recorded
    };
    for (const auto& c : cases) {
        Stream s = StreamOf(Hex(c.hex));
        if (c.failedBefore)
            s.GetBuffer().SetStatus(Dead::BufferWritePastCapacity);
        std::string target = "unchanged";
        s.ReadString(target);
        EXPECT_EQ(target, "unchanged") << c.hex;
        EXPECT_EQ(s.GetBuffer().Status(), c.failedBefore ? Dead::BufferWritePastCapacity : Dead::BufferReadPastLength);
        EXPECT_EQ(s.GetBuffer().Position(), c.position) << c.hex;
    }
    Stream exact = StreamOf(Hex("80 00 00 02 61 62"));
    std::string target;
    exact.ReadString(target);
    EXPECT_EQ(target, "ab");
    EXPECT_EQ(exact.GetBuffer().Status(), 0);
}

} // namespace
