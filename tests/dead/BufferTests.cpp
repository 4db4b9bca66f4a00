// Dead::Buffer and Dead::GrowableBuffer: buffer operations and growth.
#include <gtest/gtest.h>

#include <cstring>

#include "dead/Buffer.h"
#include "tests/dead/Bytes.h"

namespace {

using Dead::Buffer;
using Dead::GrowableBuffer;
using namespace deadtest;

TEST(Buffer, AllocateGivesAnEmptyOwnedArea) {
    Buffer b(16);
    EXPECT_NE(b.Data(), nullptr);
    EXPECT_EQ(b.Capacity(), 16u);
    EXPECT_EQ(b.Length(), 0u);
    EXPECT_EQ(b.Position(), 0u);
    EXPECT_EQ(b.Status(), 0);

    Buffer empty(0u);
    EXPECT_EQ(empty.Data(), nullptr);
    EXPECT_EQ(empty.Capacity(), 0u);
}

TEST(Buffer, AllocateClearsEverythingButTheStatus) {
    Buffer b(8);
    b.WriteInt(0x01020304, 4);
    b.SetStatus(Dead::BufferReadPastLength);
    b.Allocate(4);
    EXPECT_EQ(b.Capacity(), 4u);
    EXPECT_EQ(b.Length(), 0u);
    EXPECT_EQ(b.Position(), 0u);
    EXPECT_EQ(b.Status(), Dead::BufferReadPastLength);
}

TEST(Buffer, ConstructFromBytesCopies) {
    unsigned char src[] = {1, 2, 3};
    Buffer b(src, 3);
    src[0] = 9;
    ASSERT_NE(b.Data(), src);
    EXPECT_EQ(ToHex(b.Data(), b.Length()), "01 02 03");
    EXPECT_EQ(b.Capacity(), 3u);
    EXPECT_EQ(b.Position(), 0u);
}

TEST(Buffer, AssignWithoutCopyBorrows) {
    unsigned char src[] = {1, 2, 3, 4};
    Buffer b(8);
    b.Assign(src, 4, false);
    EXPECT_EQ(b.Data(), src);
    EXPECT_EQ(b.Length(), 4u);
    EXPECT_EQ(b.Capacity(), 4u);
    std::uint64_t v = 0;
    b.ReadInt(v, 4);
    EXPECT_EQ(v, 0x01020304u);
    // Destroying b must not free src (ASan would notice).
}

TEST(Buffer, AssignFromNoBytesGivesAnEmptyBuffer) {
    Buffer b(8);
    b.Assign(nullptr, 5, true);
    EXPECT_EQ(b.Data(), nullptr);
    EXPECT_EQ(b.Capacity(), 0u);
    EXPECT_EQ(b.Length(), 0u);
    b.Assign("x", 0, false);
    EXPECT_EQ(b.Data(), nullptr);
}

TEST(Buffer, PositionAndLengthBeyondTheCapacityAreRefused) {
    Buffer b(4);
    b.SetPosition(4);
    EXPECT_EQ(b.Position(), 4u);
    EXPECT_EQ(b.Status(), 0);
    b.SetPosition(5);
    EXPECT_EQ(b.Position(), 4u);
    EXPECT_EQ(b.Status(), Dead::BufferBadPosition);
    b.ResetStatus();
    b.SetLength(3);
    EXPECT_EQ(b.Length(), 3u);
    b.SetLength(5);
    EXPECT_EQ(b.Length(), 3u);
    EXPECT_EQ(b.Status(), Dead::BufferBadPosition);
}

TEST(Buffer, WriteIntIsBigEndianAndRaisesTheLength) {
    Buffer b(16);
    b.WriteInt(0x0102, 2);
    b.WriteInt(0xA1B2C3D4E5F60718ull, 8);
    b.WriteInt(0xFF, 1);
    EXPECT_EQ(ToHex(b.Data(), b.Length()), "01 02 A1 B2 C3 D4 E5 F6 07 18 FF");
    EXPECT_EQ(b.Position(), 11u);
    EXPECT_EQ(b.Length(), 11u);
}

TEST(Buffer, WriteIntPastTheCapacityFailsAndWritesNothing) {
    Buffer b(3);
    b.WriteInt(0x0102, 2);
    b.WriteInt(0x0304, 2);
    EXPECT_EQ(b.Status(), Dead::BufferWritePastCapacity);
    EXPECT_EQ(b.Position(), 2u);
    EXPECT_EQ(b.Length(), 2u);
}

TEST(Buffer, IntegerWritesAndReadsDoNothingWhileAFailureIsRecorded) {
    Buffer b(8);
    b.SetStatus(Dead::BufferReadPastLength);
    b.WriteInt(0x0102, 2);
    EXPECT_EQ(b.Position(), 0u);
    EXPECT_EQ(b.Length(), 0u);

    unsigned char src[] = {1, 2, 3, 4};
    Buffer r(src, 4);
    r.SetStatus(Dead::BufferWritePastCapacity);
    std::uint64_t v = 77;
    r.ReadInt(v, 2);
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(r.Position(), 0u);
    EXPECT_EQ(r.Status(), Dead::BufferWritePastCapacity);
}

TEST(Buffer, ByteCountsOutsideOneToEightMoveNothing) {
    Buffer b(16);
    b.WriteInt(1, 0);
    b.WriteInt(1, 9);
    EXPECT_EQ(b.Position(), 0u);
    EXPECT_EQ(b.Status(), 0);
    unsigned char src[16] = {};
    Buffer r(src, 16);
    std::uint64_t v = 5;
    r.ReadInt(v, 9);
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(r.Position(), 0u);
}

TEST(Buffer, ReadIntPastTheLengthFailsWithZero) {
    unsigned char src[] = {0xAB, 0xCD, 0xEF};
    Buffer b(src, 3);
    std::uint64_t v = 0;
    b.ReadInt(v, 2);
    EXPECT_EQ(v, 0xABCDu);
    b.ReadInt(v, 2);
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(b.Status(), Dead::BufferReadPastLength);
    EXPECT_EQ(b.Position(), 2u);
}

TEST(Buffer, ReadsStopAtTheLengthNotTheCapacity) {
    Buffer b(8);
    b.WriteInt(0x0102, 2);
    b.SetPosition(0);
    std::uint64_t v = 0;
    b.ReadInt(v, 4);
    EXPECT_EQ(b.Status(), Dead::BufferReadPastLength);
}

TEST(Buffer, WriteBytesAndReadBytes) {
    Buffer b(5);
    b.WriteBytes("abc", 3);
    b.WriteBytes("xyz", 3);
    EXPECT_EQ(b.Status(), Dead::BufferWritePastCapacity);
    EXPECT_EQ(b.Length(), 3u);
    b.ResetStatus();
    b.WriteBytes(nullptr, 0); // nothing to do
    EXPECT_EQ(b.Status(), 0);
    b.SetPosition(0);
    char out[4] = {};
    b.ReadBytes(out, 3);
    EXPECT_STREQ(out, "abc");
    b.ReadBytes(out, 1);
    EXPECT_EQ(b.Status(), Dead::BufferReadPastLength);
    EXPECT_EQ(b.Position(), 3u);
}

TEST(Buffer, HugeCountsDoNotWrapAround) {
    Buffer b(8);
    b.WriteInt(1, 4);
    b.WriteBytes("x", 0xFFFFFFFFu);
    EXPECT_EQ(b.Status(), Dead::BufferWritePastCapacity);
    b.ResetStatus();
    b.SetPosition(0);
    char out[1];
    b.ReadBytes(out, 0xFFFFFFFFu);
    EXPECT_EQ(b.Status(), Dead::BufferReadPastLength);
}

TEST(Buffer, ReserveKeepsTheContent) {
    Buffer b(4);
    b.WriteInt(0x01020304, 4);
    b.Reserve(10);
    EXPECT_EQ(b.Capacity(), 10u);
    EXPECT_EQ(ToHex(b.Data(), b.Length()), "01 02 03 04");
    EXPECT_EQ(b.Position(), 4u);
    b.WriteInt(0x0506, 2);
    EXPECT_EQ(ToHex(b.Data(), b.Length()), "01 02 03 04 05 06");
}

TEST(Buffer, ReserveSmallerCutsAndPullsTheCursorBack) {
    Buffer b(8);
    b.WriteInt(0x0102030405060708ull, 8);
    b.Reserve(3);
    EXPECT_EQ(b.Capacity(), 3u);
    EXPECT_EQ(b.Position(), 3u);
    EXPECT_EQ(b.Length(), 3u); // the length never passes the capacity
    EXPECT_EQ(ToHex(b.Data(), b.Length()), "01 02 03");
}

TEST(Buffer, ReserveOnAnEmptyBufferAllocates) {
    Buffer b;
    b.Reserve(12);
    EXPECT_EQ(b.Capacity(), 12u);
    EXPECT_NE(b.Data(), nullptr);
}

TEST(Buffer, ReserveOnABorrowedAreaCopiesIntoItsOwn) {
    unsigned char src[] = {1, 2, 3};
    Buffer b;
    b.Assign(src, 3, false);
    b.Reserve(6);
    EXPECT_NE(b.Data(), src);
    EXPECT_EQ(ToHex(b.Data(), b.Length()), "01 02 03");
    EXPECT_EQ(src[0], 1);
}

TEST(Buffer, CopyConstructorCopiesContentPositionAndStatus) {
    Buffer a(8);
    a.WriteInt(0xAABB, 2);
    a.SetStatus(Dead::BufferBadPosition);
    Buffer b(a);
    EXPECT_NE(b.Data(), a.Data());
    EXPECT_EQ(ToHex(b.Data(), b.Length()), "AA BB");
    EXPECT_EQ(b.Position(), 2u);
    EXPECT_EQ(b.Capacity(), 8u);
    EXPECT_EQ(b.Status(), Dead::BufferBadPosition);
}

// ---- growth ----

TEST(GrowableBuffer, SixtyBytesInEightyDoNotGrow) {
    GrowableBuffer b(80, 128);
    const Bytes sixty(60, 0x5A);
    b.WriteBytes(sixty.data(), 60);
    EXPECT_EQ(b.Capacity(), 80u);
    EXPECT_EQ(b.Length(), 60u);
    EXPECT_EQ(b.Status(), 0);
}

TEST(GrowableBuffer, TheEightyFirstByteGrowsTo128) {
    GrowableBuffer b(80, 128);
    const Bytes eighty(80, 1);
    b.WriteBytes(eighty.data(), 80);
    EXPECT_EQ(b.Capacity(), 80u);
    b.WriteInt(0xEE, 1);
    EXPECT_EQ(b.Capacity(), 128u);
    EXPECT_EQ(b.Length(), 81u);
    EXPECT_EQ(b.Data()[0], 1);
    EXPECT_EQ(b.Data()[79], 1);
    EXPECT_EQ(b.Data()[80], 0xEE);
}

TEST(GrowableBuffer, ThreeHundredBytesGiveA384Capacity) {
    GrowableBuffer b(80, 128);
    const Bytes many(300, 7);
    b.WriteBytes(many.data(), 300);
    EXPECT_EQ(b.Capacity(), 384u);
    EXPECT_EQ(b.Length(), 300u);
    EXPECT_EQ(b.Status(), 0);
}

TEST(GrowableBuffer, ThreeHundredBytesOneByOneAlsoEndAt384) {
    GrowableBuffer b(80, 128);
    for (int i = 0; i < 300; ++i)
        b.WriteInt(static_cast<std::uint64_t>(i), 1);
    EXPECT_EQ(b.Capacity(), 384u);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(b.Data()[i], static_cast<unsigned char>(i));
}

TEST(GrowableBuffer, ExactlyTwoHundredFiftySixBytesGive384) {
    GrowableBuffer b(80, 128);
    const Bytes many(256, 3);
    b.WriteBytes(many.data(), 256);
    EXPECT_EQ(b.Capacity(), 384u);

    // Filling to exactly 256 in steps: 128 then 128 more.
    GrowableBuffer c(128, 128);
    c.WriteBytes(many.data(), 128);
    EXPECT_EQ(c.Capacity(), 128u);
    c.WriteBytes(many.data(), 128);
    EXPECT_EQ(c.Capacity(), 384u);
}

TEST(GrowableBuffer, GrowsFromNothing) {
    GrowableBuffer b(0, 128);
    b.WriteInt(0x0102, 2);
    EXPECT_EQ(b.Capacity(), 128u);
    EXPECT_EQ(ToHex(b.Data(), b.Length()), "01 02");
}

TEST(GrowableBuffer, AStepOfZeroNeverGrows) {
    GrowableBuffer b(2, 0);
    b.WriteInt(0x010203, 3);
    EXPECT_EQ(b.Capacity(), 2u);
    EXPECT_EQ(b.Status(), Dead::BufferWritePastCapacity);
}

TEST(GrowableBuffer, TheMultiplierIsKeptToSixteenBits) {
    // With a step of 1, (position + n) / 1 + 1 passes 65535 at 65535 bytes:
    // the multiplier wraps, the buffer does not shrink, and the write fails.
    GrowableBuffer b(65534, 1);
    const Bytes big(65534, 1);
    b.WriteBytes(big.data(), 65534);
    b.WriteInt(2, 1); // needs 65535: (65535 + 1) & 0xFFFF = 0
    EXPECT_EQ(b.Status(), Dead::BufferWritePastCapacity);
    EXPECT_EQ(b.Capacity(), 65534u);
    EXPECT_EQ(b.Length(), 65534u);
}

} // namespace
