// The service records: wire order, fields, interfaces, status texts.
#include <gtest/gtest.h>

#include <string>

#include "address/Records.h"
#include "dead/Message.h"
#include "dead/Stream.h"
#include "messages/ResourceString.h"
#include "tests/dead/Bytes.h"
#include "vcom/Ref.h"

namespace {

using namespace deadtest;
using address::IAddressReplyFields;
using address::IAddressRequestFields;
using address::ICustomerRequestFields;
using address::IReplyStatus;
using address::IRequestCounts;
using address::ITicketReplyFields;
using Dead::IMessage;
using Dead::Stream;

template <class I>
vcom::ref<I> NewRecord(std::uint16_t minor) {
    std::int32_t err = 99;
    vcom::ref<I> r(static_cast<I*>(address::CreateRecord(minor, I::Id, &err)));
    EXPECT_TRUE(r);
    EXPECT_EQ(err, 0);
    return r;
}

template <class I>
vcom::ref<I> As(vcom::IComponent* obj) {
    std::int32_t err = 99;
    vcom::ref<I> r = vcom::Query<I>(obj, &err);
    EXPECT_TRUE(r) << "interface " << I::Id;
    EXPECT_EQ(err, 0);
    return r;
}

Bytes Encode(vcom::IComponent* record) {
    Stream s = Stream::Growable(80, 128);
    EXPECT_EQ(As<IMessage>(record)->Write(&s), 0);
    EXPECT_EQ(s.GetBuffer().Status(), 0);
    return Content(s);
}

// Reads bytes (without the envelope) into the record.
std::int32_t ReadInto(vcom::IComponent* record, const Bytes& body) {
    Stream s = StreamOf(body);
    return As<IMessage>(record)->Read(&s);
}

Bytes WithoutEnvelope(Bytes b) {
    b.erase(b.begin(), b.begin() + 4);
    return b;
}

std::string Message(unsigned id) { return tarnClientLib::MessageText(id); }

// A reply record of kind minor holding status and fields, read from bytes.
template <class I>
vcom::ref<I> ReplyWith(std::uint16_t minor, std::uint16_t status, const Fields& fields = {}) {
    vcom::ref<I> r = NewRecord<I>(minor);
    EXPECT_EQ(ReadInto(r.get(), WithoutEnvelope(EncodeReply(minor, status, fields))), 0);
    return r;
}

TEST(Records, AnEmptyAddressRequestWritesItsEnvelopeAndTwoZeroCounts) {
    auto r = NewRecord<IAddressRequestFields>(address::AddressRequestKind);
    EXPECT_EQ(ToHex(Encode(r.get())), "00 01 00 01 00 00 00 00");
}

TEST(Records, FieldsGoOutInTheOrderTheyWereSet) {
    auto r = NewRecord<IAddressRequestFields>(address::AddressRequestKind);
    EXPECT_EQ(r->SetServer("srv"), 0);
    EXPECT_EQ(r->SetProduct("prod"), 0);
    Bytes expected = Hex("00 01 00 01 00 00 00 02");
    AppendString(expected, "server");
    AppendString(expected, "srv");
    AppendString(expected, "product");
    AppendString(expected, "prod");
    EXPECT_EQ(ToHex(Encode(r.get())), ToHex(expected));
    EXPECT_EQ(As<IRequestCounts>(r.get())->GetFirstListCount(), 0);
    EXPECT_EQ(As<IRequestCounts>(r.get())->GetSecondListCount(), 2);
}

TEST(Records, AFieldSetTwiceIsStoredAndWrittenTwiceAndTheFirstWins) {
    auto r = NewRecord<IAddressRequestFields>(address::AddressRequestKind);
    r->SetAtt1("first");
    r->SetAtt1("second");
    EXPECT_EQ(Take(r->GetAtt1()), "first");
    EXPECT_EQ(ToHex(Encode(r.get())),
              ToHex(EncodeRequest(1, {}, {{"att1", "first"}, {"att1", "second"}})));
}

TEST(Records, SettersRefuseNullAndAcceptEmpty) {
    auto r = NewRecord<ICustomerRequestFields>(address::CustomerRequestKind);
    EXPECT_EQ(r->SetContextId(nullptr), vcom::InvalidArgument);
    EXPECT_EQ(r->SetLanguage(nullptr), vcom::InvalidArgument);
    EXPECT_EQ(As<IRequestCounts>(r.get())->GetSecondListCount(), 0);
    EXPECT_EQ(r->SetPassword(""), 0);
    bool wasNull = true;
    EXPECT_EQ(Take(r->GetPassword(), &wasNull), "");
    EXPECT_FALSE(wasNull);

    auto t = NewRecord<ITicketReplyFields>(address::TicketReplyKind);
    EXPECT_EQ(t->SetKey(nullptr), vcom::InvalidArgument);
    auto a = NewRecord<IAddressReplyFields>(address::AddressReplyKind);
    EXPECT_EQ(a->SetServerList(nullptr), vcom::InvalidArgument);
    EXPECT_EQ(As<IReplyStatus>(a.get())->GetFieldCount(), 0);
}

TEST(Records, GettersOfFieldsNeverSetReturnNull) {
    auto q = NewRecord<IAddressRequestFields>(address::AddressRequestKind);
    q->SetProduct("p");
    bool wasNull = false;
    Take(q->GetCategory(), &wasNull);
    EXPECT_TRUE(wasNull);
    Take(q->GetAtt3(), &wasNull);
    EXPECT_TRUE(wasNull);

    auto c = NewRecord<ICustomerRequestFields>(address::CustomerRequestKind);
    for (char* text : {c->GetContextId(), c->GetProduct(), c->GetPublic(), c->GetPassword(), c->GetEventName(),
                       c->GetMachine(), c->GetLanguage()})
        EXPECT_EQ(text, nullptr);
    auto t = NewRecord<ITicketReplyFields>(address::TicketReplyKind);
    EXPECT_EQ(t->GetKey(), nullptr);
    EXPECT_EQ(t->GetLifetime(), nullptr);
    auto a = NewRecord<IAddressReplyFields>(address::AddressReplyKind);
    EXPECT_EQ(a->GetServerList(), nullptr);
}

TEST(Records, EveryFieldHasItsOwnName) {
    auto q = NewRecord<IAddressRequestFields>(address::AddressRequestKind);
    q->SetProduct("1");
    q->SetCategory("2");
    q->SetServer("3");
    q->SetAtt1("4");
    q->SetAtt2("5");
    q->SetAtt3("6");
    EXPECT_EQ(ToHex(Encode(q.get())),
              ToHex(EncodeRequest(1, {},
                                  {{"product", "1"}, {"category", "2"}, {"server", "3"}, {"att1", "4"},
                                   {"att2", "5"}, {"att3", "6"}})));
    EXPECT_EQ(Take(q->GetProduct()) + Take(q->GetCategory()) + Take(q->GetServer()) + Take(q->GetAtt1()) +
                  Take(q->GetAtt2()) + Take(q->GetAtt3()),
              "123456");

    auto c = NewRecord<ICustomerRequestFields>(address::CustomerRequestKind);
    c->SetContextId("a");
    c->SetProduct("b");
    c->SetPublic("c");
    c->SetPassword("d");
    c->SetEventName("e");
    c->SetMachine("f");
    c->SetLanguage("g");
    EXPECT_EQ(ToHex(Encode(c.get())),
              ToHex(EncodeRequest(3, {},
                                  {{"contextid", "a"}, {"product", "b"}, {"public", "c"}, {"password", "d"},
                                   {"eventname", "e"}, {"machine", "f"}, {"language", "g"}})));
    EXPECT_EQ(Take(c->GetContextId()) + Take(c->GetProduct()) + Take(c->GetPublic()) + Take(c->GetPassword()) +
                  Take(c->GetEventName()) + Take(c->GetMachine()) + Take(c->GetLanguage()),
              "abcdefg");

    auto t = NewRecord<ITicketReplyFields>(address::TicketReplyKind);
    t->SetLifetime("3600");
    t->SetKey("K");
    EXPECT_EQ(ToHex(Encode(t.get())), ToHex(EncodeReply(4, 0, {{"lifetime", "3600"}, {"key", "K"}})));
    EXPECT_EQ(Take(t->GetKey()), "K");
    EXPECT_EQ(Take(t->GetLifetime()), "3600");

    auto a = NewRecord<IAddressReplyFields>(address::AddressReplyKind);
    a->SetServerList("<servers/>");
    EXPECT_EQ(ToHex(Encode(a.get())), ToHex(EncodeReply(2, 0, {{"serverlist", "<servers/>"}})));
}

TEST(Records, NamesCompareExactly) {
    auto t = NewRecord<ITicketReplyFields>(address::TicketReplyKind);
    ASSERT_EQ(ReadInto(t.get(), WithoutEnvelope(EncodeReply(4, 0, {{"Key", "upper"}, {"key ", "blank"}}))), 0);
    EXPECT_EQ(t->GetKey(), nullptr);
}

TEST(Records, AnAddressReplyWithStatusZeroAndAServerList) {
    auto a = ReplyWith<IAddressReplyFields>(2, 0, {{"serverlist", "T"}});
    EXPECT_EQ(Take(a->GetServerList()), "T");
    EXPECT_EQ(As<IReplyStatus>(a.get())->GetFieldCount(), 1);
    EXPECT_EQ(As<IReplyStatus>(a.get())->GetStatus(), 0);
    EXPECT_EQ(Take(a->GetStatusText()), "Application Success!");
}

TEST(Records, AddressReplyStatusTexts) {
    EXPECT_EQ(Take(ReplyWith<IAddressReplyFields>(2, 0)->GetStatusText()), Message(90));
    EXPECT_EQ(Take(ReplyWith<IAddressReplyFields>(2, 9001)->GetStatusText()),
              "Application error 9001: Tarn service unavailable.");
    for (std::uint16_t status : {1, 2005, 2009, 9000, 9002, 65535})
        EXPECT_EQ(Take(ReplyWith<IAddressReplyFields>(2, status)->GetStatusText()),
                  "Unrecognized Tarn Application Error Code.")
            << status;
}

TEST(Records, TicketReplyStatusTexts) {
    EXPECT_EQ(Take(ReplyWith<ITicketReplyFields>(4, 0)->GetStatusText()), "Application Success!");
    const char* const texts[] = {
        "Application error 2001: The product name does not match any defined product.",
        "Application Error 2002: The event name does not match any defined event.",
        "Application error 2003: You entered an invalid user/public name. Valid names are alpha-numeric character "
        "strings of at least 3 characters but no more than 30 characters.",
        "Application error 2004: You entered an invalid password. Valid passwords are alpha-numeric character strings "
        "of at least 3 characters but no more than 30 characters.",
        "Application error 2005: Could not find a user account for the user/public name entered. Please try again.",
        "Application error 2006: The password you entered is incorrect.  Please try again.",
        "Application error 2007: The event has not yet started or is already over.",
        "Application error 2008: You do not have permission to participate in the specified event.",
    };
    for (std::uint16_t status = 2001; status <= 2008; ++status) {
        EXPECT_EQ(Take(ReplyWith<ITicketReplyFields>(4, status)->GetStatusText()), texts[status - 2001]) << status;
        EXPECT_EQ(Take(ReplyWith<ITicketReplyFields>(4, status)->GetStatusText()), Message(80 + (status - 2001)));
    }
    EXPECT_EQ(Take(ReplyWith<ITicketReplyFields>(4, 2009)->GetStatusText()),
              "Application error 2009: Zanthe Authorization failed.");
    for (std::uint16_t status : {1, 2000, 2010, 9001, 65535})
        EXPECT_EQ(Take(ReplyWith<ITicketReplyFields>(4, status)->GetStatusText()),
                  "Unrecognized Tarn Application Error Code.")
            << status;
}

TEST(Records, ReadAppendsToWhatIsThere) {
    auto t = NewRecord<ITicketReplyFields>(address::TicketReplyKind);
    ASSERT_EQ(ReadInto(t.get(), WithoutEnvelope(EncodeReply(4, 2006, {{"key", "one"}}))), 0);
    ASSERT_EQ(ReadInto(t.get(), WithoutEnvelope(EncodeReply(4, 0, {{"key", "two"}, {"lifetime", "60"}}))), 0);
    EXPECT_EQ(Take(t->GetKey()), "one");
    EXPECT_EQ(Take(t->GetLifetime()), "60");
    EXPECT_EQ(As<IReplyStatus>(t.get())->GetFieldCount(), 3);
    EXPECT_EQ(As<IReplyStatus>(t.get())->GetStatus(), 0); // the latest status read
    EXPECT_EQ(ToHex(Encode(t.get())),
              ToHex(EncodeReply(4, 0, {{"key", "one"}, {"key", "two"}, {"lifetime", "60"}})));

    auto q = NewRecord<ICustomerRequestFields>(address::CustomerRequestKind);
    q->SetProduct("set");
    ASSERT_EQ(ReadInto(q.get(), WithoutEnvelope(EncodeRequest(3, {{"x", "1"}}, {{"product", "read"}}))), 0);
    EXPECT_EQ(Take(q->GetProduct()), "set");
    EXPECT_EQ(As<IRequestCounts>(q.get())->GetFirstListCount(), 1);
    EXPECT_EQ(As<IRequestCounts>(q.get())->GetSecondListCount(), 2);
    EXPECT_EQ(ToHex(Encode(q.get())), ToHex(EncodeRequest(3, {{"x", "1"}}, {{"product", "set"}, {"product", "read"}})));
}

TEST(Records, TheFirstListIsReadAndWrittenButNotSearched) {
    auto q = NewRecord<IAddressRequestFields>(address::AddressRequestKind);
    ASSERT_EQ(ReadInto(q.get(), WithoutEnvelope(EncodeRequest(1, {{"product", "first"}}, {}))), 0);
    EXPECT_EQ(q->GetProduct(), nullptr);
    EXPECT_EQ(As<IRequestCounts>(q.get())->GetFirstListCount(), 1);
    EXPECT_EQ(ToHex(Encode(q.get())), ToHex(EncodeRequest(1, {{"product", "first"}}, {})));
}

// ---- interfaces ----

TEST(Records, RequestInterfaces) {
    for (std::uint16_t minor : {1, 3}) {
        std::int32_t err = 99;
        vcom::ref<vcom::IComponent> r(address::CreateRecord(minor, 0, &err));
        ASSERT_TRUE(r);
        const std::int32_t kind = minor == 1 ? 2008 : 2010;
        for (std::int32_t id : {0, -100, 200, kind})
            EXPECT_TRUE(r->Supports(id)) << id;
        for (std::int32_t id : {201, 202, 2009, 2011, minor == 1 ? 2010 : 2008, 2012, 1})
            EXPECT_FALSE(r->Supports(id)) << id;
        vcom::ref<IMessage> primary = As<IMessage>(r.get());
        EXPECT_EQ(static_cast<vcom::IComponent*>(primary.get()), r.get()); // 0 and -100: the primary interface
        EXPECT_EQ(r->Reserved(1, 2, 3, 4, 5), vcom::NotImplemented);
        err = 0;
        EXPECT_EQ(r->QueryInterface(201, &err), nullptr);
        EXPECT_EQ(err, vcom::Failure);
    }
}

TEST(Records, ReplyInterfacesAnswer202WithTheKindInterface) {
    for (std::uint16_t minor : {2, 4}) {
        std::int32_t err = 99;
        vcom::ref<vcom::IComponent> r(address::CreateRecord(minor, -100, &err));
        ASSERT_TRUE(r);
        const std::int32_t kind = minor == 2 ? 2009 : 2011;
        for (std::int32_t id : {0, -100, 201, 202, kind})
            EXPECT_TRUE(r->Supports(id)) << id;
        for (std::int32_t id : {200, 2008, 2010, minor == 2 ? 2011 : 2009})
            EXPECT_FALSE(r->Supports(id)) << id;
        vcom::ref<vcom::IComponent> a(r->QueryInterface(202, &err));
        vcom::ref<vcom::IComponent> b(r->QueryInterface(kind, &err));
        EXPECT_EQ(a.get(), b.get());
        EXPECT_NE(a.get(), r.get());
        // Back from the secondary interface to the primary one.
        vcom::ref<vcom::IComponent> c(a->QueryInterface(0, &err));
        EXPECT_EQ(c.get(), r.get());
    }
}

TEST(Records, ReferencesCountForTheWholeObject) {
    std::int32_t err = 0;
    vcom::IComponent* r = address::CreateRecord(4, -100, &err);
    ASSERT_NE(r, nullptr);
    vcom::IComponent* status = r->QueryInterface(201, &err);
    EXPECT_EQ(status->AddRef(), 3);
    EXPECT_EQ(r->Release(), 2);
    EXPECT_EQ(status->Release(), 1);
    EXPECT_EQ(status->Release(), 0);
}

TEST(Records, CreateRecordRefusesUnknownKindsAndIds) {
    std::int32_t err = 0;
    EXPECT_EQ(address::CreateRecord(0, -100, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    err = 0;
    EXPECT_EQ(address::CreateRecord(5, -100, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    err = 0;
    EXPECT_EQ(address::CreateRecord(1, 201, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(address::KindInterfaceId(3), 2010);
    EXPECT_EQ(address::KindInterfaceId(9), 0);
}

// ---- writing into a stream that cannot take the record ----

TEST(Records, WriteAppendsAtThePosition) {
    auto r = NewRecord<IAddressRequestFields>(address::AddressRequestKind);
    Stream s = Stream::Growable(80, 128);
    s.WriteUInt16(0xABCD);
    ASSERT_EQ(As<IMessage>(r.get())->Write(&s), 0);
    EXPECT_EQ(ToHex(Content(s)), "AB CD 00 01 00 01 00 00 00 00");
}

TEST(Records, AWriteThatDoesNotFitIsUndoneAndReported) {
    auto r = NewRecord<IAddressRequestFields>(address::AddressRequestKind);
    r->SetProduct("a fairly long product name");
    // 8 header bytes, 4 + 7 for the name, 4 + 26 for the value: 49.
    for (std::uint32_t capacity : {0u, 3u, 8u, 12u, 20u, 48u}) {
        Stream s(std::make_unique<Dead::Buffer>(capacity));
        EXPECT_EQ(As<IMessage>(r.get())->Write(&s), vcom::Failure) << capacity;
        EXPECT_EQ(s.GetBuffer().Position(), 0u);
        EXPECT_EQ(s.GetBuffer().Length(), 0u);
        EXPECT_EQ(s.GetBuffer().Status(), Dead::BufferWritePastCapacity);
    }
    Stream s(std::make_unique<Dead::Buffer>(49u));
    EXPECT_EQ(As<IMessage>(r.get())->Write(&s), 0);
}

TEST(Records, WriteIntoAFailedStreamIsRefused) {
    auto r = NewRecord<IAddressRequestFields>(address::AddressRequestKind);
    Stream s = Stream::Growable(80, 128);
    s.GetBuffer().SetStatus(Dead::BufferReadPastLength);
    EXPECT_EQ(As<IMessage>(r.get())->Write(&s), vcom::Failure);
    EXPECT_EQ(s.GetBuffer().Length(), 0u);
}

TEST(Records, NullStreamsAreRefused) {
    auto r = NewRecord<IAddressRequestFields>(address::AddressRequestKind);
    EXPECT_EQ(As<IMessage>(r.get())->Write(nullptr), vcom::InvalidArgument);
    EXPECT_EQ(As<IMessage>(r.get())->Read(nullptr), vcom::InvalidArgument);
}

} // namespace
