// Binary messages: Dead::Buffer, GrowableBuffer and Stream (cursor limits,
// growth, the typed big-endian encoding), the four service records and the
// message factory (wire order, golden bytes, status texts, interfaces, and
// decoding of short or hostile input).
//
// Documented decoding results: fewer than 4 bytes or a wrong envelope give
// null, -1 and the position restored; a short record gives the record with
// what could not be read as 0; counts larger than the fields behind them give
// that many fields, the unreadable ones empty; a negative or past-the-end
// string length leaves that field empty and decoding goes on right after the
// 4-byte length.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "address/Records.h"
#include "dead/Buffer.h"
#include "dead/Message.h"
#include "dead/MessageFactory.h"
#include "dead/RPCException.h"
#include "dead/Stream.h"
#include "tests/support/LibraryText.h"
#include "vcom/Ref.h"

namespace {

using namespace address;
using Dead::Buffer;
using Dead::IMessage;
using Dead::Stream;

using Bytes = std::vector<unsigned char>;
using Fields = std::vector<std::pair<std::string, std::string>>;

// "00 01 80 00" -> {0x00, 0x01, 0x80, 0x00}; blanks are ignored.
Bytes Hex(const std::string& text) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < text.size(); i += text[i] == ' ' ? 1 : 2)
        if (text[i] != ' ')
            out.push_back(static_cast<unsigned char>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes Content(const Dead::Buffer& b) { return Bytes(b.Data(), b.Data() + b.Length()); }
Bytes Content(const Dead::Stream& s) { return Content(s.GetBuffer()); }

Dead::Stream StreamOf(const Bytes& bytes) {
    return Dead::Stream::FromBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void AppendU16(Bytes& out, std::size_t v) {
    out.push_back(static_cast<unsigned char>(v >> 8));
    out.push_back(static_cast<unsigned char>(v));
}

void AppendString(Bytes& out, const std::string& s) {
    const std::uint32_t stored = static_cast<std::uint32_t>(s.size()) + 0x80000000u;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(stored >> shift));
    out.insert(out.end(), s.begin(), s.end());
}

void AppendFields(Bytes& out, const Fields& fields) {
    for (const auto& f : fields) {
        AppendString(out, f.first);
        AppendString(out, f.second);
    }
}

Bytes EncodeReply(std::uint16_t minor, std::uint16_t status, const Fields& fields) {
    Bytes out;
    for (std::size_t v : {std::size_t{1}, std::size_t{minor}, std::size_t{status}, fields.size()})
        AppendU16(out, v);
    AppendFields(out, fields);
    return out;
}

Bytes EncodeRequest(std::uint16_t minor, const Fields& first, const Fields& second) {
    Bytes out;
    for (std::size_t v : {std::size_t{1}, std::size_t{minor}, first.size(), second.size()})
        AppendU16(out, v);
    AppendFields(out, first);
    AppendFields(out, second);
    return out;
}

using tarntest::Take;

template <class I>
vcom::ref<I> As(vcom::IComponent* obj) {
    std::int32_t err = 99;
    return vcom::Query<I>(obj, &err);
}

// What the record writes into a fresh request body (growth step as given).
Bytes Encode(vcom::IComponent* record, std::uint32_t step = 128) {
    Dead::Stream s = Dead::Stream::Growable(80, step);
    EXPECT_EQ(As<Dead::IMessage>(record)->Write(&s), 0);
    EXPECT_EQ(s.GetBuffer().Status(), 0);
    return Content(s);
}

// DecodeReply (reply) or DecodeRequest over bytes; a refusal must leave the
// position where decoding started.
vcom::ref<vcom::IComponent> Decode(bool reply, const Bytes& bytes, std::int32_t* err,
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

TEST(Stream, AStringIsReadWholeOrLeavesTheTargetAsItWas) {
    const struct {
        const char* hex;
        std::int32_t before, after;
        std::uint32_t position; // a bad length is consumed, the bytes are not
        const char* target;
    } cases[] = {
        {"80 00 00 02 61 62", 0, 0, 6, "ab"},                                     // exactly the rest
        {"80 00 00 05 61 62 63", 0, Dead::BufferReadPastLength, 4, "unchanged"}, // past the end
        {"7F FF FF FF 61", 0, Dead::BufferReadPastLength, 4, "unchanged"},       // -1
        {"00 00 00 00", 0, Dead::BufferReadPastLength, 4, "unchanged"},          // INT_MIN
        {"80 00 00", 0, Dead::BufferReadPastLength, 0, "unchanged"},             // a truncated length
        {"80 00 00 01 61", Dead::BufferWritePastCapacity, Dead::BufferWritePastCapacity, 0, "unchanged"},
    };
    for (const auto& c : cases) {
        Stream s = StreamOf(Hex(c.hex));
        s.GetBuffer().SetStatus(c.before);
        std::string target = "unchanged";
        s.ReadString(target);
        EXPECT_EQ(target, c.target) << c.hex;
        EXPECT_EQ(s.GetBuffer().Status(), c.after) << c.hex;
        EXPECT_EQ(s.GetBuffer().Position(), c.position) << c.hex;
    }
}

// ---- records ----

template <class I>
vcom::ref<I> NewRecord(std::uint16_t minor) {
    std::int32_t err = 99;
    vcom::ref<I> r(static_cast<I*>(CreateRecord(minor, I::Id, &err)));
    EXPECT_TRUE(r);
    return r;
}

// Reads a body (the envelope taken off) into the record.
std::int32_t ReadInto(vcom::IComponent* record, Bytes body) {
    body.erase(body.begin(), body.begin() + 4);
    Stream s = StreamOf(body);
    return As<IMessage>(record)->Read(&s);
}

vcom::ref<Dead::IMessageFactory> Factory() { return Dead::GetMessageFactory(); }

TEST(Records, FieldsGoOutInSetOrderAndTheFirstOfTwoWins) {
    auto r = NewRecord<IAddressRequestFields>(AddressRequestKind);
    EXPECT_EQ(Encode(r.get()), Hex("00 01 00 01 00 00 00 00"));
    EXPECT_EQ(r->SetServer("srv"), 0);
    EXPECT_EQ(r->SetProduct("prod"), 0);
    Bytes expected = Hex("00 01 00 01 00 00 00 02");
    AppendFields(expected, {{"server", "srv"}, {"product", "prod"}});
    EXPECT_EQ(Encode(r.get()), expected);
    r->SetProduct("again");
    r->SetAtt2("2");
    r->SetAtt3("3");
    EXPECT_EQ(Take(r->GetProduct()) + Take(r->GetAtt2()) + Take(r->GetAtt3()), "prod23");
    AppendFields(expected, {{"product", "again"}, {"att2", "2"}, {"att3", "3"}});
    expected[7] = 5;
    EXPECT_EQ(Encode(r.get()), expected);
}

TEST(Records, SettersRefuseNullAndGettersOfUnsetFieldsAreNull) {
    auto c = NewRecord<ICustomerRequestFields>(CustomerRequestKind);
    EXPECT_EQ(c->SetContextId(nullptr), vcom::InvalidArgument);
    EXPECT_EQ(c->SetPassword(""), 0);
    EXPECT_EQ(Take(c->GetPassword()), "");
    for (char* text : {c->GetContextId(), c->GetProduct(), c->GetPublic(), c->GetEventName(), c->GetMachine(),
                       c->GetLanguage()})
        EXPECT_EQ(text, nullptr);
    EXPECT_EQ(NewRecord<IAddressRequestFields>(AddressRequestKind)->SetAtt1(nullptr), vcom::InvalidArgument);
    EXPECT_EQ(NewRecord<ITicketReplyFields>(TicketReplyKind)->SetKey(nullptr), vcom::InvalidArgument);
    auto a = NewRecord<IAddressReplyFields>(AddressReplyKind);
    EXPECT_EQ(a->SetServerList(nullptr), vcom::InvalidArgument);
    EXPECT_EQ(a->GetServerList(), nullptr);
}

TEST(Records, StatusTexts) {
    const char* const unknown = "Unrecognized Tarn Application Error Code.";
    const struct {
        std::uint16_t minor, status;
        const char* text;
    } cases[] = {
        {2, 0, "Application Success!"},
        {2, 9001, "Application error 9001: Tarn service unavailable."},
        {2, 1, unknown},    {2, 2005, unknown}, {2, 9000, unknown}, {2, 9002, unknown}, {2, 65535, unknown},
        {4, 0, "Application Success!"},
        {4, 2001, "Application error 2001: The product name does not match any defined product."},
        {4, 2002, "Application Error 2002: The event name does not match any defined event."},
        {4, 2003, "Application error 2003: You entered an invalid user/public name. Valid names are alpha-numeric "
                  "character strings of at least 3 characters but no more than 30 characters."},
        {4, 2004, "Application error 2004: You entered an invalid password. Valid passwords are alpha-numeric "
                  "character strings of at least 3 characters but no more than 30 characters."},
        {4, 2005, "Application error 2005: Could not find a user account for the user/public name entered. Please "
                  "try again."},
        {4, 2006, "Application error 2006: The password you entered is incorrect.  Please try again."},
        {4, 2007, "Application error 2007: The event has not yet started or is already over."},
        {4, 2008, "Application error 2008: You do not have permission to participate in the specified event."},
        {4, 2009, "Application error 2009: Zanthe Authorization failed."},
        {4, 1, unknown}, {4, 2000, unknown}, {4, 2010, unknown}, {4, 9001, unknown}, {4, 65535, unknown},
    };
    for (const auto& c : cases) {
        std::int32_t err = 99;
        auto r = Decode(true, EncodeReply(c.minor, c.status, {}), &err);
        ASSERT_TRUE(r);
        char* text = c.minor == 2 ? As<IAddressReplyFields>(r.get())->GetStatusText()
                                  : As<ITicketReplyFields>(r.get())->GetStatusText();
        EXPECT_EQ(Take(text), c.text) << c.minor << "/" << c.status;
    }
}

TEST(Records, ReadAppendsAndSearchesOnlyTheSecondList) {
    auto t = NewRecord<ITicketReplyFields>(TicketReplyKind);
    ASSERT_EQ(ReadInto(t.get(), EncodeReply(4, 2006, {{"Key", "case"}, {"key ", "blank"}, {"key", "one"}})), 0);
    ASSERT_EQ(ReadInto(t.get(), EncodeReply(4, 0, {{"key", "two"}, {"lifetime", "60"}})), 0);
    EXPECT_EQ(Take(t->GetKey()), "one");
    EXPECT_EQ(Take(t->GetLifetime()), "60");
    EXPECT_EQ(As<IReplyStatus>(t.get())->GetStatus(), 0); // the latest status read
    EXPECT_EQ(Encode(t.get()), (EncodeReply(4, 0, {{"Key", "case"}, {"key ", "blank"}, {"key", "one"},
                                                               {"key", "two"}, {"lifetime", "60"}})));

    auto q = NewRecord<ICustomerRequestFields>(CustomerRequestKind);
    q->SetLanguage("set");
    ASSERT_EQ(ReadInto(q.get(), EncodeRequest(3, {{"product", "first"}}, {{"language", "read"}})), 0);
    EXPECT_EQ(Take(q->GetLanguage()), "set");
    EXPECT_EQ(q->GetProduct(), nullptr);
    EXPECT_EQ(Encode(q.get()), EncodeRequest(3, {{"product", "first"}}, {{"language", "set"}, {"language", "read"}}));
}

// Kinds 1 to 4 answer 2008 to 2011; requests 200, replies 201 and 202 (the
// kind interface's sub-object).
TEST(Records, Interfaces) {
    for (std::uint16_t minor = 1; minor <= 4; ++minor) {
        const bool reply = minor % 2 == 0;
        const std::int32_t kind = 2007 + minor;
        std::int32_t err = 99;
        vcom::ref<vcom::IComponent> r(CreateRecord(minor, -100, &err));
        ASSERT_TRUE(r);
        for (std::int32_t id : {0, -100, 200, 201, 202, 2008, 2009, 2010, 2011, 2012, 1}) {
            const bool yes = id == 0 || id == -100 || id == kind || (reply ? id == 201 || id == 202 : id == 200);
            EXPECT_EQ(r->Supports(id), yes) << minor << ":" << id;
        }
        EXPECT_EQ(KindInterfaceId(minor), kind);
        if (reply) {
            vcom::ref<vcom::IComponent> a(r->QueryInterface(202, &err));
            vcom::ref<vcom::IComponent> b(r->QueryInterface(kind, &err));
            EXPECT_EQ(a.get(), b.get());
            vcom::ref<vcom::IComponent> primary(a->QueryInterface(0, &err));
            EXPECT_EQ(primary.get(), r.get());
        }
    }
    std::int32_t err = 0;
    EXPECT_EQ(CreateRecord(0, -100, &err), nullptr);
    EXPECT_EQ(CreateRecord(5, -100, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(KindInterfaceId(9), 0);
}

TEST(Records, WriteAppendsOrIsUndoneAndRefused) {
    auto r = NewRecord<IAddressRequestFields>(AddressRequestKind);
    Stream at = Stream::Growable(80, 128);
    at.WriteUInt16(0xABCD);
    ASSERT_EQ(As<IMessage>(r.get())->Write(&at), 0);
    EXPECT_EQ(Content(at), Hex("AB CD 00 01 00 01 00 00 00 00"));

    r->SetProduct("a fairly long product name"); // 8 + 4 + 7 + 4 + 26 = 49 bytes
    for (std::uint32_t capacity : {0u, 3u, 8u, 12u, 20u, 48u, 49u}) {
        Stream s(std::make_unique<Dead::Buffer>(capacity));
        EXPECT_EQ(As<IMessage>(r.get())->Write(&s), capacity == 49 ? 0 : vcom::Failure) << capacity;
        EXPECT_EQ(s.GetBuffer().Length(), capacity == 49 ? 49u : 0u);
        EXPECT_EQ(s.GetBuffer().Position(), s.GetBuffer().Length());
    }
    Stream failed = Stream::Growable(80, 128);
    failed.GetBuffer().SetStatus(Dead::BufferReadPastLength);
    EXPECT_EQ(As<IMessage>(r.get())->Write(&failed), vcom::Failure);
    EXPECT_EQ(failed.GetBuffer().Length(), 0u);
    EXPECT_EQ(As<IMessage>(r.get())->Write(nullptr), vcom::InvalidArgument);
    EXPECT_EQ(As<IMessage>(r.get())->Read(nullptr), vcom::InvalidArgument);
}

// ---- the factory ----

TEST(MessageFactory, OneSharedInstanceObtainedAndReleasedSafely) {
    {
        auto a = Factory();
        EXPECT_EQ(a.get(), Factory().get());
        EXPECT_TRUE(a->Supports(2012));
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&failures] {
            for (int i = 0; i < 2000; ++i) {
                vcom::ref<Dead::IMessageFactory> f = Dead::GetMessageFactory();
                std::int32_t err = 0;
                if (!f || (i % 100 == 0 && !vcom::ref<vcom::IComponent>(f->CreateTicketReply(-100, &err, "k", "1"))))
                    ++failures;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(MessageFactory, EnvelopeErrorTexts) {
    const struct {
        const char* hex;
        bool (*isKind)(std::uint16_t);
        const char* text;
    } cases[] = {
        {"00 07 00 02", &IsReplyKind, "majorId 7 is not handled by this factory."},
        {"00 01 00 03", &IsReplyKind, "minorId 3 not recognized."},
        {"00 01 FF FF", &IsRequestKind, "minorId 65535 not recognized."},
        {"", &IsRequestKind, "majorId 0 is not handled by this factory."},
    };
    for (const auto& c : cases) {
        Stream s = StreamOf(Hex(c.hex));
        try {
            Dead::ReadEnvelope(s, c.isKind);
            ADD_FAILURE() << c.hex;
        } catch (const rpcLib::RPCException& e) {
            EXPECT_STREQ(e.what(), c.text);
        }
    }
    Stream ok = StreamOf(Hex("00 01 00 03"));
    EXPECT_EQ(Dead::ReadEnvelope(ok, &IsRequestKind), 3);
}

TEST(MessageFactory, WrongEnvelopesAndShortInputAreRefused) {
    for (const char* hex : {"00 00 00 02 00 00 00 00", "00 02 00 02 00 00 00 00", "01 00 00 01", "FF FF 00 04"})
        for (bool reply : {true, false}) {
            std::int32_t err = 0;
            EXPECT_FALSE(Decode(reply, Hex(hex), &err)) << hex;
            EXPECT_EQ(err, vcom::Failure) << hex;
        }
    // Only 2 and 4 decode as replies, 1 and 3 as requests.
    for (unsigned minor = 0; minor < 300; ++minor) {
        Bytes bytes = Hex("00 01");
        AppendU16(bytes, minor);
        std::int32_t err = 99;
        EXPECT_EQ(static_cast<bool>(Decode(true, bytes, &err)), minor == 2 || minor == 4) << minor;
        EXPECT_EQ(err, minor == 2 || minor == 4 ? 0 : vcom::Failure);
        EXPECT_EQ(static_cast<bool>(Decode(false, bytes, &err)), minor == 1 || minor == 3) << minor;
    }
    Stream s = StreamOf(Hex("AA BB 00 01 00 03"));
    s.GetBuffer().SetPosition(2);
    std::int32_t err = 0;
    EXPECT_EQ(Factory()->DecodeReply(-100, &err, &s), nullptr);
    EXPECT_EQ(s.GetBuffer().Position(), 2u); // back where decoding started
    EXPECT_EQ(Factory()->DecodeReply(-100, &err, nullptr), nullptr);
    EXPECT_EQ(err, vcom::InvalidArgument);
    EXPECT_EQ(Factory()->DecodeRequest(-100, nullptr, nullptr), nullptr);
}

TEST(MessageFactory, DecodingGoldenReplies) {
    std::int32_t err = 99;
    auto empty = Decode(true, Hex("00 01 00 02 00 00 00 00"), &err);
    ASSERT_TRUE(empty);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(As<IAddressReplyFields>(empty.get())->GetServerList(), nullptr);
    EXPECT_EQ(As<IReplyStatus>(empty.get())->GetFieldCount(), 0);

    Bytes bytes = Hex("00 01 00 04 00 00 00 02"); // the second field is missing
    AppendFields(bytes, {{"key", "TICKET"}});
    auto t = Decode(true, bytes, &err);
    ASSERT_TRUE(t);
    EXPECT_EQ(Take(As<ITicketReplyFields>(t.get())->GetKey()), "TICKET");
    EXPECT_EQ(As<ITicketReplyFields>(t.get())->GetLifetime(), nullptr);
    EXPECT_EQ(Encode(t.get()), (EncodeReply(4, 0, {{"key", "TICKET"}, {"", ""}})));

    bytes = EncodeReply(2, 9001, {{"serverlist", "<x/>"}});
    bytes.push_back(0); // bytes after the record are left alone
    std::uint32_t position = 0;
    auto a = Decode(true, bytes, &err, &position);
    ASSERT_TRUE(a);
    EXPECT_EQ(position, bytes.size() - 1);
    EXPECT_EQ(Take(As<IAddressReplyFields>(a.get())->GetServerList()), "<x/>");

    auto status = Decode(true, EncodeReply(4, 2006, {}), &err, nullptr, 201); // the interface asked for
    ASSERT_TRUE(status);
    EXPECT_EQ(static_cast<IReplyStatus*>(status.get())->GetStatus(), 2006);
    auto kind = Decode(true, EncodeReply(4, 0, {{"key", "k"}}), &err, nullptr, 202);
    ASSERT_TRUE(kind);
    EXPECT_EQ(Take(static_cast<ITicketReplyFields*>(kind.get())->GetKey()), "k");
    EXPECT_FALSE(Decode(true, EncodeReply(4, 0, {}), &err, nullptr, 2008));
    EXPECT_EQ(err, vcom::Failure);
}

// Each factory operation sets its fields in its order; every record then goes
// through Write -> DecodeRequest / DecodeReply and back unchanged.
TEST(MessageFactory, CreateWriteDecodeRoundTrip) {
    auto f = Factory();
    const std::string big(70000, 'x');
    std::int32_t err = 99;
    // CreateCustomerRequest takes product, public, password, eventname, contextid, language, machine.
    using Own = vcom::ref<vcom::IComponent>;
    const struct {
        Own record;
        bool reply;
        Bytes wire;
    } cases[] = {
        {Own(f->CreateAddressRequest(-100, &err, "p", "c", "s", "")), false,
         EncodeRequest(1, {}, {{"product", "p"}, {"category", "c"}, {"server", "s"}})},
        {Own(f->CreateAddressRequest(-100, &err, "p", "c", "s", "x")), false,
         EncodeRequest(1, {}, {{"product", "p"}, {"category", "c"}, {"server", "s"}, {"att1", "x"}})},
        {Own(f->CreateAddressRequest(-100, &err, 0, 0, 0, 0)), false,
         EncodeRequest(1, {}, {{"product", ""}, {"category", ""}, {"server", ""}})},
        {Own(f->CreateCustomerRequest(-100, &err, "P", "pub", "pw", "ev", "ctx", "en", "M")), false,
         EncodeRequest(3, {}, {{"contextid", "ctx"}, {"product", "P"}, {"public", "pub"}, {"password", "pw"},
                               {"eventname", "ev"}, {"machine", "M"}, {"language", "en"}})},
        {Own(f->CreateCustomerRequest(-100, &err, "P", nullptr, "", "ev", "ctx", nullptr, "M")), false,
         EncodeRequest(3, {}, {{"contextid", "ctx"}, {"product", "P"}, {"eventname", "ev"}, {"machine", "M"}})},
        {Own(f->CreateCustomerRequest(-100, &err, 0, 0, 0, 0, 0, 0, 0)), false, EncodeRequest(3, {}, {{"eventname", ""}})},
        {Own(f->CreateAddressReply(2009, &err, big.c_str())), true, EncodeReply(2, 0, {{"serverlist", big}})},
        {Own(f->CreateTicketReply(-100, &err, "K\x01\xff", "3600")), true,
         EncodeReply(4, 0, {{"key", "K\x01\xff"}, {"lifetime", "3600"}})},
    };
    EXPECT_EQ(err, 0);
    std::vector<vcom::ref<vcom::IComponent>> back;
    for (const auto& c : cases) {
        ASSERT_TRUE(c.record);
        EXPECT_TRUE(Encode(c.record.get()) == c.wire);
        std::uint32_t position = 0;
        back.push_back(Decode(c.reply, c.wire, &err, &position));
        ASSERT_TRUE(back.back());
        EXPECT_EQ(position, c.wire.size());
        EXPECT_TRUE(Encode(back.back().get()) == c.wire);
    }
    auto q = As<IAddressRequestFields>(back[1].get());
    EXPECT_EQ(Take(q->GetProduct()) + Take(q->GetCategory()) + Take(q->GetServer()) + Take(q->GetAtt1()), "pcsx");
    auto c = As<ICustomerRequestFields>(back[3].get());
    EXPECT_EQ(Take(c->GetContextId()) + Take(c->GetProduct()) + Take(c->GetPublic()) + Take(c->GetPassword()) +
                  Take(c->GetEventName()) + Take(c->GetMachine()) + Take(c->GetLanguage()),
              "ctxPpubpwevMen");
    EXPECT_EQ(Take(As<IAddressReplyFields>(back[6].get())->GetServerList()), big);
    auto t = As<ITicketReplyFields>(back[7].get());
    EXPECT_EQ(Take(t->GetKey()) + "/" + Take(t->GetLifetime()), "K\x01\xff/3600");

    vcom::ref<vcom::IComponent> k(f->CreateAddressRequest(2008, &err, "p", "c", "s", nullptr));
    ASSERT_TRUE(k); // the interface asked for, or a refusal
    EXPECT_EQ(Take(static_cast<IAddressRequestFields*>(k.get())->GetServer()), "s");
    EXPECT_EQ(f->CreateAddressRequest(201, &err, "p", "c", "s", nullptr), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    err = 0;
    EXPECT_EQ(f->CreateTicketReply(200, &err, "k", "l"), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(f->CreateCustomerRequest(2011, nullptr, "p", 0, 0, "e", 0, 0, 0), nullptr);
}

// ---- short and hostile input ----

TEST(HostileInput, TruncatedAtEveryOffset) {
    const struct {
        bool reply;
        Bytes full;
        int first, second; // status and field count, or the two list counts
    } cases[] = {
        {true, EncodeReply(4, 2006, {{"key", "0123456789"}, {"lifetime", "3600"}}), 2006, 2},
        {false, EncodeRequest(3, {{"a", "b"}}, {{"product", "P"}, {"eventname", "E"}}), 1, 2},
    };
    const std::size_t nameEnd = 8 + 4 + 3, valueEnd = nameEnd + 4 + 10;
    for (const auto& c : cases)
        for (std::size_t cut = 0; cut <= c.full.size(); ++cut) {
            std::int32_t err = 99;
            auto r = Decode(c.reply, Bytes(c.full.begin(), c.full.begin() + cut), &err);
            ASSERT_EQ(static_cast<bool>(r), cut >= 4) << cut;
            EXPECT_EQ(err, cut >= 4 ? 0 : vcom::Failure) << cut;
            if (!r)
                continue;
            auto counts = As<IRequestCounts>(r.get());
            auto status = As<IReplyStatus>(r.get());
            EXPECT_EQ(c.reply ? status->GetStatus() : counts->GetFirstListCount(), cut >= 6 ? c.first : 0) << cut;
            EXPECT_EQ(c.reply ? status->GetFieldCount() : counts->GetSecondListCount(), cut >= 8 ? c.second : 0);
            const Bytes again = Encode(r.get()); // whatever was read writes itself again
            EXPECT_TRUE(cut < c.full.size() || again == c.full);
            if (c.reply) { // a string is read whole or not at all
                EXPECT_EQ(Take(As<ITicketReplyFields>(r.get())->GetKey()),
                          cut >= valueEnd ? "0123456789" : cut >= nameEnd ? "" : "<null>")
                    << cut;
            }
        }
}

TEST(HostileInput, NegativeAndPastTheEndLengths) {
    for (const char* length : {"7F FF FF FF", "00 00 00 00"}) { // -1 and INT_MIN, then a good field
        Bytes bytes = Hex(std::string("00 01 00 04 00 00 00 02 ") + length);
        AppendFields(bytes, {{"key", "K"}});
        std::int32_t err = 99;
        auto r = Decode(true, bytes, &err);
        ASSERT_TRUE(r) << length;
        EXPECT_EQ(Take(As<ITicketReplyFields>(r.get())->GetKey()), "K");
        EXPECT_EQ(Encode(r.get()), (EncodeReply(4, 0, {{"", ""}, {"key", "K"}})));
    }
    for (const char* length : {"80 00 00 05", "80 01 00 00", "FF FF FF FF"}) {
        std::int32_t err = 99;
        auto r = Decode(true, Hex(std::string("00 01 00 04 00 00 00 01 ") + length + " 61 62"), &err);
        ASSERT_TRUE(r) << length;
        EXPECT_EQ(err, 0);
        EXPECT_EQ(Encode(r.get()), (EncodeReply(4, 0, {{"", ""}})));
    }
}

TEST(HostileInput, CountsOf65535WithNoData) {
    std::int32_t err = 99;
    auto reply = Decode(true, Hex("00 01 00 04 FF FF FF FF"), &err);
    ASSERT_TRUE(reply);
    EXPECT_EQ(As<IReplyStatus>(reply.get())->GetStatus(), 65535);
    EXPECT_EQ(As<IReplyStatus>(reply.get())->GetFieldCount(), 65535);
    EXPECT_EQ(As<ITicketReplyFields>(reply.get())->GetKey(), nullptr);
    // Reading appends: one more field makes 65536, which has no 16-bit count.
    Stream more = StreamOf(Hex("00 00 00 01"));
    ASSERT_EQ(As<IMessage>(reply.get())->Read(&more), 0);
    EXPECT_EQ(As<IReplyStatus>(reply.get())->GetFieldCount(), 65536);
    Stream out = Stream::Growable(80, 1u << 20);
    EXPECT_EQ(As<IMessage>(reply.get())->Write(&out), vcom::Failure);
    EXPECT_EQ(out.GetBuffer().Length(), 0u);

    auto request = Decode(false, Hex("00 01 00 01 FF FF FF FF"), &err);
    ASSERT_TRUE(request);
    EXPECT_EQ(As<IRequestCounts>(request.get())->GetFirstListCount(), 65535);
    EXPECT_EQ(As<IRequestCounts>(request.get())->GetSecondListCount(), 65535);
    // 2 * 65535 empty fields of 8 bytes after the header; a large step keeps
    // the growth copies few.
    EXPECT_EQ(Encode(request.get(), 1u << 20).size(), 8u + 2u * 65535u * 8u);
}

} // namespace
