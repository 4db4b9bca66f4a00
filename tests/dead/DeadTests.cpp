// Binary messages: the typed big-endian encoding, the four service records
// and the message factory (envelopes and decoding of short or hostile
// input). The text a status is shown with is the host call control table's
// (9001) and the bindings' (2009), read back as a host reads it. The bytes the library sends are the route tests' (against
// records built apart from the library), the replies it reads every route
// test's, the replies the development server writes the black-box run's.
// Crashes and leaks on arbitrary input are the fuzz target's and the torture
// runs' concern; these tests pin the documented results.
//
// Documented decoding results: fewer than 4 bytes or a wrong envelope give
// null, -1 and the position restored; a short record gives the record with
// what could not be read as 0; counts larger than the fields behind them give
// that many fields, the unreadable ones empty; a negative or past-the-end
// string length leaves that field empty and decoding goes on right after the
// 4-byte length.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dead/Buffer.h"
#include "dead/Message.h"
#include "dead/MessageFactory.h"
#include "dead/Records.h"
#include "dead/Stream.h"
#include "tests/support/HostCalls.h"
#include "tests/support/ServiceRecordBytes.h"
#include "vcom/Ref.h"

namespace {

using namespace Dead;
using tarntest::Take;

using Bytes = std::string;
const auto EncodeReply = tarntest::ReplyRecordBytes;
const auto EncodeRequest = tarntest::RequestRecordBytes;

// "00 01 80 00" -> the four bytes; blanks are ignored.
Bytes Hex(const std::string& text) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < text.size(); i += text[i] == ' ' ? 1 : 2)
        if (text[i] != ' ')
            out.push_back(static_cast<char>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return out;
}

template <class I>
vcom::ref<I> As(vcom::IComponent* obj) {
    std::int32_t err = 99;
    return vcom::Query<I>(obj, &err);
}

// What the record writes into a fresh request body.
Bytes Encode(vcom::IComponent* record) {
    Dead::Stream s = Dead::Stream::Growable(80, 128);
    EXPECT_EQ(As<Dead::IMessage>(record)->Write(&s), 0);
    const Dead::Buffer& b = s.GetBuffer();
    EXPECT_EQ(b.Status(), 0);
    return Bytes(reinterpret_cast<const char*>(b.Data()), b.Length());
}

// DecodeReply (reply) or DecodeRequest over bytes; a refusal must leave the
// position where decoding started.
vcom::ref<vcom::IComponent> Decode(bool reply, const Bytes& bytes, std::int32_t* err,
                                   std::uint32_t* position = nullptr) {
    Dead::Stream s = Dead::Stream::FromBytes(reinterpret_cast<const unsigned char*>(bytes.data()),
                                             static_cast<std::uint32_t>(bytes.size()));
    vcom::ref<Dead::IMessageFactory> f = Dead::GetMessageFactory();
    *err = 99;
    vcom::IComponent* r = reply ? f->DecodeReply(-100, err, &s) : f->DecodeRequest(-100, err, &s);
    if (!r) {
        EXPECT_EQ(s.GetBuffer().Position(), 0u);
    }
    if (position)
        *position = s.GetBuffer().Position();
    return vcom::ref<vcom::IComponent>(r);
}

// ---- records ----

// The bytes of fields alone, as they follow a record's counts.
Bytes FieldBytes(const tarntest::RecordFields& fields) { return EncodeRequest(0, {}, fields).substr(8); }

// Getters match names exactly and the first of two wins; a request's read
// only its second list. (The order fields go out in is the route tests'.)
TEST(Records, GettersTakeTheFirstFieldOfExactlyTheirName) {
    std::int32_t err = 99;
    auto t = Decode(true, EncodeReply(4, 0, {{"Key", "case"}, {"key ", "blank"}, {"key", "one"}, {"key", "two"}}),
                    &err);
    EXPECT_EQ(Take(As<ITicketReplyFields>(t.get())->GetKey()), "one");
    auto q = As<ICustomerRequestFields>(
        Decode(false, EncodeRequest(3, {{"product", "first"}}, {{"language", "second"}}), &err).get());
    EXPECT_EQ(q->GetProduct(), nullptr);
    EXPECT_EQ(Take(q->GetLanguage()), "second");
}

// ---- the factory ----

// Only major 1 decodes: minors 2 and 4 as replies, 1 and 3 as requests.
TEST(MessageFactory, WrongEnvelopesAreRefused) {
    for (unsigned major : {0u, 1u, 2u, 256u, 65535u})
        for (unsigned minor = 0; minor < 300; ++minor) {
            SCOPED_TRACE(testing::Message() << major << "/" << minor);
            const Bytes bytes{char(major >> 8), char(major), char(minor >> 8), char(minor)};
            const bool reply = major == 1 && (minor == 2 || minor == 4);
            std::int32_t err = 99;
            EXPECT_EQ(static_cast<bool>(Decode(true, bytes, &err)), reply);
            EXPECT_EQ(err, reply ? 0 : vcom::Failure);
            EXPECT_EQ(static_cast<bool>(Decode(false, bytes, &err)), major == 1 && (minor == 1 || minor == 3));
        }
}

// ---- short and hostile input ----

TEST(HostileInput, TruncatedAtEveryOffset) {
    const struct {
        bool reply;
        Bytes full;
        int first, second; // the status and field count, or the two list counts
    } cases[] = {
        {.reply = true, .full = EncodeReply(4, 2006, {{"key", "0123456789"}, {"lifetime", "3600"}}), .first = 2006,
         .second = 2},
        {.reply = false, .full = EncodeRequest(3, {{"a", "b"}}, {{"product", "P"}, {"eventname", "E"}}), .first = 1,
         .second = 2},
    };
    const std::size_t nameEnd = 8 + 4 + 3, valueEnd = nameEnd + 4 + 10;
    for (const auto& c : cases)
        for (std::size_t cut = 0; cut <= c.full.size(); ++cut) {
            std::int32_t err = 99;
            auto r = Decode(c.reply, Bytes(c.full.substr(0, cut)), &err);
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
        const Bytes bytes = Hex(std::string("00 01 00 04 00 00 00 02 ") + length) + FieldBytes({{"key", "K"}});
        std::int32_t err = 99;
        auto r = Decode(true, bytes, &err);
        ASSERT_TRUE(r) << length;
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

} // namespace
