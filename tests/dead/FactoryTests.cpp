// The message factory: creating, decoding, the shared instance.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "address/Records.h"
#include "dead/Message.h"
#include "dead/MessageFactory.h"
#include "dead/RPCException.h"
#include "dead/Stream.h"
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

vcom::ref<Dead::IMessageFactory> Factory() {
    vcom::ref<Dead::IMessageFactory> f = Dead::GetMessageFactory();
    EXPECT_TRUE(f);
    return f;
}

template <class I>
vcom::ref<I> As(vcom::IComponent* obj) {
    std::int32_t err = 99;
    vcom::ref<I> r = vcom::Query<I>(obj, &err);
    EXPECT_TRUE(r) << "interface " << I::Id;
    return r;
}

Bytes Encode(vcom::IComponent* record) {
    Stream s = Stream::Growable(80, 128);
    EXPECT_EQ(As<IMessage>(record)->Write(&s), 0);
    return Content(s);
}

// Decodes bytes with DecodeReply (replies) or DecodeRequest; position and
// err are reported through the out-parameters.
vcom::ref<vcom::IComponent> Decode(bool reply, const Bytes& bytes, std::int32_t* err, std::uint32_t* position = nullptr,
                                   std::int32_t id = -100) {
    Stream s = StreamOf(bytes);
    *err = 99;
    vcom::IComponent* r = reply ? Factory()->DecodeReply(id, err, &s) : Factory()->DecodeRequest(id, err, &s);
    if (position)
        *position = s.GetBuffer().Position();
    return vcom::ref<vcom::IComponent>(r);
}

// ---- the shared instance ----

TEST(MessageFactory, IsSharedWhileHeld) {
    auto a = Factory();
    auto b = Factory();
    EXPECT_EQ(a.get(), b.get());
    std::int32_t err = 99;
    vcom::ref<vcom::IComponent> c(a->QueryInterface(0, &err));
    EXPECT_EQ(err, 0);
    EXPECT_EQ(c.get(), static_cast<vcom::IComponent*>(a.get()));
    EXPECT_TRUE(a->Supports(2012));
    EXPECT_FALSE(a->Supports(-100));
    EXPECT_FALSE(a->Supports(1000));
    EXPECT_EQ(a->QueryInterface(2000, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(a->Reserved(0, 0, 0, 0, 0), vcom::NotImplemented);
}

TEST(MessageFactory, ANewInstanceFollowsTheLastRelease) {
    { auto a = Factory(); }
    auto b = Factory(); // the old one is gone (ASan would see a use after free)
    std::int32_t err = 0;
    auto r = Decode(true, Hex("00 01 00 02 00 00 00 00"), &err);
    EXPECT_TRUE(r);
}

TEST(MessageFactory, ObtainingAndReleasingRaceSafely) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&failures] {
            for (int i = 0; i < 2000; ++i) {
                vcom::ref<Dead::IMessageFactory> f = Dead::GetMessageFactory();
                if (!f) {
                    ++failures;
                    continue;
                }
                if (i % 100 == 0) {
                    std::int32_t err = 0;
                    vcom::ref<vcom::IComponent> r(f->CreateTicketReply(-100, &err, "k", "1"));
                    if (!r)
                        ++failures;
                }
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}

// ---- envelope ----

TEST(MessageFactory, EnvelopeErrorTexts) {
    {
        Stream s = StreamOf(Hex("00 07 00 02"));
        try {
            Dead::ReadEnvelope(s, &address::IsReplyKind);
            FAIL();
        } catch (const rpcLib::RPCException& e) {
            EXPECT_STREQ(e.what(), "majorId 7 is not handled by this factory.");
        }
    }
    {
        Stream s = StreamOf(Hex("00 01 00 03"));
        try {
            Dead::ReadEnvelope(s, &address::IsReplyKind);
            FAIL();
        } catch (const rpcLib::RPCException& e) {
            EXPECT_STREQ(e.what(), "minorId 3 not recognized.");
        }
    }
    {
        Stream s = StreamOf(Hex("00 01 FF FF"));
        try {
            Dead::ReadEnvelope(s, &address::IsRequestKind);
            FAIL();
        } catch (const rpcLib::RPCException& e) {
            EXPECT_STREQ(e.what(), "minorId 65535 not recognized.");
        }
    }
    {
        Stream s = StreamOf(Hex(""));
        try {
            Dead::ReadEnvelope(s, &address::IsRequestKind);
            FAIL();
        } catch (const rpcLib::RPCException& e) {
            EXPECT_STREQ(e.what(), "majorId 0 is not handled by this factory.");
        }
    }
    Stream ok = StreamOf(Hex("00 01 00 03"));
    EXPECT_EQ(Dead::ReadEnvelope(ok, &address::IsRequestKind), 3);
    EXPECT_STREQ(rpcLib::RPCException().what(), "");
    EXPECT_STREQ(rpcLib::RPCException("x").what(), "x");
}

// ---- decoding: the golden vectors ----

TEST(MessageFactory, ARequestKindIsRefusedAsAReply) {
    std::int32_t err = 0;
    std::uint32_t position = 99;
    EXPECT_FALSE(Decode(true, Hex("00 01 00 03 00 00 00 00"), &err, &position));
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(position, 0u);
    EXPECT_FALSE(Decode(true, Hex("00 01 00 01 00 00 00 00"), &err, &position));
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_FALSE(Decode(false, Hex("00 01 00 02 00 00 00 00"), &err, &position));
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_FALSE(Decode(false, Hex("00 01 00 04 00 00 00 00"), &err, &position));
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(position, 0u);
}

TEST(MessageFactory, TheRefusedPositionIsWhereDecodingStarted) {
    Bytes bytes = Hex("AA BB 00 01 00 03");
    Stream s = StreamOf(bytes);
    s.GetBuffer().SetPosition(2);
    std::int32_t err = 0;
    EXPECT_EQ(Factory()->DecodeReply(-100, &err, &s), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(s.GetBuffer().Position(), 2u);
}

TEST(MessageFactory, OtherMajorIdsAreRefused) {
    std::int32_t err = 0;
    std::uint32_t position = 99;
    for (const char* hex : {"00 00 00 02 00 00 00 00", "00 02 00 02 00 00 00 00", "01 00 00 02", "FF FF 00 04"}) {
        EXPECT_FALSE(Decode(true, Hex(hex), &err, &position)) << hex;
        EXPECT_EQ(err, vcom::Failure);
        EXPECT_EQ(position, 0u);
    }
}

TEST(MessageFactory, AnEmptyAddressReply) {
    std::int32_t err = 99;
    auto r = Decode(true, Hex("00 01 00 02 00 00 00 00"), &err);
    ASSERT_TRUE(r);
    EXPECT_EQ(err, 0);
    EXPECT_TRUE(r->Supports(IAddressReplyFields::Id));
    EXPECT_EQ(As<IReplyStatus>(r.get())->GetStatus(), 0);
    EXPECT_EQ(As<IReplyStatus>(r.get())->GetFieldCount(), 0);
    EXPECT_EQ(As<IAddressReplyFields>(r.get())->GetServerList(), nullptr);
}

TEST(MessageFactory, ATicketReplyShortOfItsSecondField) {
    Bytes bytes = Hex("00 01 00 04 00 00 00 02");
    AppendString(bytes, "key");
    AppendString(bytes, "TICKET");
    std::int32_t err = 99;
    auto r = Decode(true, bytes, &err);
    ASSERT_TRUE(r);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(Take(As<ITicketReplyFields>(r.get())->GetKey()), "TICKET");
    EXPECT_EQ(As<ITicketReplyFields>(r.get())->GetLifetime(), nullptr);
    EXPECT_EQ(As<IReplyStatus>(r.get())->GetFieldCount(), 2);
    // The second field: empty name, empty value.
    EXPECT_EQ(ToHex(Encode(r.get())), ToHex(EncodeReply(4, 0, {{"key", "TICKET"}, {"", ""}})));
}

TEST(MessageFactory, BytesAfterTheRecordAreIgnored) {
    Bytes bytes = EncodeReply(2, 9001, {{"serverlist", "<x/>"}});
    bytes.push_back(0); // what MakeHttpRequest appends
    std::int32_t err = 99;
    std::uint32_t position = 0;
    auto r = Decode(true, bytes, &err, &position);
    ASSERT_TRUE(r);
    EXPECT_EQ(position, bytes.size() - 1);
    EXPECT_EQ(As<IReplyStatus>(r.get())->GetStatus(), 9001);
    EXPECT_EQ(Take(As<IAddressReplyFields>(r.get())->GetServerList()), "<x/>");
}

TEST(MessageFactory, OnlyTheAppendedZeroByteIsRefused) {
    std::int32_t err = 0;
    EXPECT_FALSE(Decode(true, Hex("00"), &err));
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_FALSE(Decode(true, Bytes(), &err));
    EXPECT_EQ(err, vcom::Failure);
}

TEST(MessageFactory, DecodeDeliversTheInterfaceAskedFor) {
    std::int32_t err = 99;
    auto r = Decode(true, EncodeReply(4, 2006, {}), &err, nullptr, 201);
    ASSERT_TRUE(r);
    EXPECT_EQ(static_cast<IReplyStatus*>(r.get())->GetStatus(), 2006);
    auto k = Decode(true, EncodeReply(4, 0, {{"key", "k"}}), &err, nullptr, 202);
    ASSERT_TRUE(k);
    EXPECT_EQ(Take(static_cast<ITicketReplyFields*>(k.get())->GetKey()), "k");

    std::uint32_t position = 99;
    EXPECT_FALSE(Decode(true, EncodeReply(4, 0, {}), &err, &position, 2008));
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(position, 0u);
}

TEST(MessageFactory, NullStreamsAreRefused) {
    std::int32_t err = 0;
    EXPECT_EQ(Factory()->DecodeReply(-100, &err, nullptr), nullptr);
    EXPECT_EQ(err, vcom::InvalidArgument);
    EXPECT_EQ(Factory()->DecodeRequest(-100, nullptr, nullptr), nullptr);
}

// ---- creating ----

TEST(MessageFactory, CreateAddressRequestSetsTheSelectorsAndAtt1OnlyWhenPresent) {
    std::int32_t err = 99;
    vcom::ref<vcom::IComponent> r(Factory()->CreateAddressRequest(-100, &err, "prod", "cat", "srv", ""));
    ASSERT_TRUE(r);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(ToHex(Encode(r.get())),
              ToHex(EncodeRequest(1, {}, {{"product", "prod"}, {"category", "cat"}, {"server", "srv"}})));

    vcom::ref<vcom::IComponent> n(Factory()->CreateAddressRequest(-100, &err, "p", "c", "any", nullptr));
    EXPECT_EQ(As<IRequestCounts>(n.get())->GetSecondListCount(), 3);

    vcom::ref<vcom::IComponent> a(Factory()->CreateAddressRequest(-100, &err, "p", "c", "s", "x=1"));
    EXPECT_EQ(ToHex(Encode(a.get())),
              ToHex(EncodeRequest(1, {}, {{"product", "p"}, {"category", "c"}, {"server", "s"}, {"att1", "x=1"}})));

    // Missing selectors are the caller's to refuse; here they are empty fields.
    vcom::ref<vcom::IComponent> e(Factory()->CreateAddressRequest(-100, &err, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ToHex(Encode(e.get())), ToHex(EncodeRequest(1, {}, {{"product", ""}, {"category", ""}, {"server", ""}})));
}

TEST(MessageFactory, CreateCustomerRequestSetsFieldsInItsOrder) {
    std::int32_t err = 99;
    // Arguments: product, public, password, eventname, contextid, language, machine.
    vcom::ref<vcom::IComponent> all(
        Factory()->CreateCustomerRequest(-100, &err, "PROD", "pub", "pw", "ev", "ctx", "en", "{MACHINE}"));
    ASSERT_TRUE(all);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(ToHex(Encode(all.get())),
              ToHex(EncodeRequest(3, {},
                                  {{"contextid", "ctx"}, {"product", "PROD"}, {"public", "pub"}, {"password", "pw"},
                                   {"eventname", "ev"}, {"machine", "{MACHINE}"}, {"language", "en"}})));

    // The context route without a login: contextid, product, eventname, machine.
    vcom::ref<vcom::IComponent> ctx(
        Factory()->CreateCustomerRequest(-100, &err, "PROD", nullptr, "", "ev", "ctx", nullptr, "{M}"));
    EXPECT_EQ(ToHex(Encode(ctx.get())),
              ToHex(EncodeRequest(3, {},
                                  {{"contextid", "ctx"}, {"product", "PROD"}, {"eventname", "ev"}, {"machine", "{M}"}})));

    // Only the event name is always set, even when empty.
    vcom::ref<vcom::IComponent> none(
        Factory()->CreateCustomerRequest(-100, &err, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ToHex(Encode(none.get())), ToHex(EncodeRequest(3, {}, {{"eventname", ""}})));
}

TEST(MessageFactory, CreateRepliesSetTheirTexts) {
    std::int32_t err = 99;
    vcom::ref<vcom::IComponent> a(Factory()->CreateAddressReply(2009, &err, "<servers/>"));
    ASSERT_TRUE(a);
    EXPECT_EQ(Take(static_cast<IAddressReplyFields*>(a.get())->GetServerList()), "<servers/>");
    EXPECT_EQ(ToHex(Encode(a.get())), ToHex(EncodeReply(2, 0, {{"serverlist", "<servers/>"}})));

    vcom::ref<vcom::IComponent> t(Factory()->CreateTicketReply(-100, &err, "KEY", "3600"));
    EXPECT_EQ(ToHex(Encode(t.get())), ToHex(EncodeReply(4, 0, {{"key", "KEY"}, {"lifetime", "3600"}})));
}

TEST(MessageFactory, CreateDeliversTheInterfaceAskedForOrRefuses) {
    std::int32_t err = 99;
    vcom::ref<vcom::IComponent> k(Factory()->CreateAddressRequest(2008, &err, "p", "c", "s", nullptr));
    ASSERT_TRUE(k);
    EXPECT_EQ(Take(static_cast<IAddressRequestFields*>(k.get())->GetServer()), "s");

    EXPECT_EQ(Factory()->CreateAddressRequest(201, &err, "p", "c", "s", nullptr), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    err = 0;
    EXPECT_EQ(Factory()->CreateTicketReply(200, &err, "k", "l"), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(Factory()->CreateCustomerRequest(2011, nullptr, "p", 0, 0, "e", 0, 0, 0), nullptr);
}

// ---- round trips: Write -> DecodeRequest / DecodeReply ----

TEST(MessageFactory, AllFourRecordsRoundTrip) {
    std::int32_t err = 99;
    const std::string big(70000, 'x');
    vcom::ref<vcom::IComponent> ar(Factory()->CreateAddressRequest(-100, &err, "prod", "cat", "srv", "a1"));
    As<IAddressRequestFields>(ar.get())->SetAtt2(big.c_str());
    As<IAddressRequestFields>(ar.get())->SetAtt3("");
    vcom::ref<vcom::IComponent> cr(
        Factory()->CreateCustomerRequest(-100, &err, "P", "pub", "pw", "ev", "ctx", "de", "{m}"));
    vcom::ref<vcom::IComponent> ap(Factory()->CreateAddressReply(-100, &err, big.c_str()));
    vcom::ref<vcom::IComponent> tr(Factory()->CreateTicketReply(-100, &err, "key\x01\xff", "60"));

    struct Case {
        vcom::IComponent* record;
        bool reply;
    } cases[] = {{ar.get(), false}, {cr.get(), false}, {ap.get(), true}, {tr.get(), true}};
    for (const Case& c : cases) {
        const Bytes encoded = Encode(c.record);
        std::uint32_t position = 0;
        auto back = Decode(c.reply, encoded, &err, &position);
        ASSERT_TRUE(back);
        EXPECT_EQ(err, 0);
        EXPECT_EQ(position, encoded.size());
        EXPECT_EQ(Encode(back.get()), encoded);
    }

    auto ar2 = Decode(false, Encode(ar.get()), &err);
    auto f = As<IAddressRequestFields>(ar2.get());
    EXPECT_EQ(Take(f->GetProduct()), "prod");
    EXPECT_EQ(Take(f->GetCategory()), "cat");
    EXPECT_EQ(Take(f->GetServer()), "srv");
    EXPECT_EQ(Take(f->GetAtt1()), "a1");
    EXPECT_EQ(Take(f->GetAtt2()), big);
    EXPECT_EQ(Take(f->GetAtt3()), "");

    auto cr2 = Decode(false, Encode(cr.get()), &err);
    auto c = As<ICustomerRequestFields>(cr2.get());
    EXPECT_EQ(Take(c->GetContextId()), "ctx");
    EXPECT_EQ(Take(c->GetProduct()), "P");
    EXPECT_EQ(Take(c->GetPublic()), "pub");
    EXPECT_EQ(Take(c->GetPassword()), "pw");
    EXPECT_EQ(Take(c->GetEventName()), "ev");
    EXPECT_EQ(Take(c->GetMachine()), "{m}");
    EXPECT_EQ(Take(c->GetLanguage()), "de");

    auto ap2 = Decode(true, Encode(ap.get()), &err);
    EXPECT_EQ(Take(As<IAddressReplyFields>(ap2.get())->GetServerList()), big);

    auto tr2 = Decode(true, Encode(tr.get()), &err);
    EXPECT_EQ(Take(As<ITicketReplyFields>(tr2.get())->GetKey()), "key\x01\xff");
    EXPECT_EQ(Take(As<ITicketReplyFields>(tr2.get())->GetLifetime()), "60");
}

TEST(MessageFactory, ARequestBodyGrowsInWholeSteps) {
    // A typical address request fits the 80-byte start of a request body.
    std::int32_t err = 0;
    vcom::ref<vcom::IComponent> r(Factory()->CreateAddressRequest(-100, &err, "TARN", "LOGIN", "any", nullptr));
    Stream s = Stream::Growable(80, 128);
    ASSERT_EQ(As<IMessage>(r.get())->Write(&s), 0);
    EXPECT_EQ(s.GetBuffer().Length(), 8u + (4 + 7 + 4 + 4) + (4 + 8 + 4 + 5) + (4 + 6 + 4 + 3));
    EXPECT_EQ(s.GetBuffer().Capacity(), 80u);
}

} // namespace
