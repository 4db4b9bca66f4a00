#include "dead/MessageFactory.h"

#include <string>

#include "dead/RPCException.h"
#include "dead/Records.h"
#include "dead/Stream.h"
#include "vcom/Boundary.h"
#include "vcom/ProcessWide.h"
#include "vcom/Ref.h"

namespace Dead {

namespace {

// A null text is copied as an empty one.
std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

bool Present(const std::string& text) { return !text.empty(); }

// A field that could not be set fails the whole record: a request never goes
// out with a field missing.
void Require(std::int32_t setResult) {
    if (setResult != vcom::Success)
        vcom::Fail(setResult);
}

// Slots 7 to 10: a new record of kind minorId for interface id, whose kind
// interface Kind then receives the texts through fill(kind).
template <class Kind, class Fill>
vcom::IComponent* Create(std::uint16_t minorId, std::int32_t id, std::int32_t* err, Fill&& fill) {
    return vcom::CatchPointer(err, [&]() -> vcom::IComponent* {
        vcom::ref<vcom::IComponent> record(CreateRecord(minorId, id, err));
        if (!record)
            return nullptr;
        vcom::ref<Kind> kind = vcom::Query<Kind>(record.get(), err);
        if (!kind)
            return nullptr;
        fill(*kind);
        return record.detach();
    });
}

// Slots 11 and 12: reads the envelope, makes the record of that kind for
// interface id and lets it read the rest. Any failure restores the stream's
// position: an unknown major or minor id gives -1 (rpcLib::RPCException, with
// its fixed texts), an allocation failure -4, a record that does not
// answer id the code of its QueryInterface. The code of the record's Read is
// not examined: a short record decodes with what could be read.
vcom::IComponent* Decode(std::int32_t id, std::int32_t* err, Stream* stream, bool (*isKind)(std::uint16_t)) {
    if (!stream) {
        if (err)
            *err = vcom::InvalidArgument;
        return nullptr;
    }
    Buffer& buffer = stream->GetBuffer();
    const std::uint32_t position = buffer.Position();
    vcom::IComponent* result = vcom::CatchPointer(err, [&]() -> vcom::IComponent* {
        const std::uint16_t minorId = ReadEnvelope(*stream, isKind);
        vcom::ref<vcom::IComponent> record(CreateRecord(minorId, id, err));
        if (!record)
            return nullptr;
        std::int32_t ignored = vcom::Success;
        vcom::ref<IMessage> message = vcom::Query<IMessage>(record.get(), &ignored);
        message->Read(stream);
        return record.detach();
    });
    if (!result)
        buffer.SetPosition(position);
    return result;
}

} // namespace

std::uint16_t ReadEnvelope(Stream& stream, bool (*isKind)(std::uint16_t)) {
    std::uint16_t majorId = 0;
    stream.ReadUInt16(majorId);
    if (majorId != RecordMajorId)
        throw rpcLib::RPCException("majorId " + std::to_string(majorId) + " is not handled by this factory.");
    std::uint16_t minorId = 0;
    stream.ReadUInt16(minorId);
    if (!isKind(minorId))
        throw rpcLib::RPCException("minorId " + std::to_string(minorId) + " not recognized.");
    return minorId;
}

std::int32_t MessageFactory::Release() { return --m_refs; }

// product, category and server are always set (a null text as an empty one:
// the caller, AddressManager, has already refused missing selectors); att1
// only when it is not empty. The texts are copied before they are set.
vcom::IComponent* MessageFactory::CreateAddressRequest(std::int32_t id, std::int32_t* err, const char* product,
                                                       const char* category, const char* server, const char* att1) {
    return Create<IAddressRequestFields>(AddressRequestKind, id, err, [&](IAddressRequestFields& fields) {
        const std::string p = Text(product), c = Text(category), s = Text(server), a = Text(att1);
        Require(fields.SetProduct(p.c_str()));
        Require(fields.SetCategory(c.c_str()));
        Require(fields.SetServer(s.c_str()));
        if (Present(a))
            Require(fields.SetAtt1(a.c_str()));
    });
}

// Field order: contextid, product, public, password (each if present), eventname
// (always), machine, language (each if present).
vcom::IComponent* MessageFactory::CreateCustomerRequest(std::int32_t id, std::int32_t* err, const char* product,
                                                        const char* publicName, const char* password,
                                                        const char* eventName, const char* contextId,
                                                        const char* language, const char* machine) {
    return Create<ICustomerRequestFields>(CustomerRequestKind, id, err, [&](ICustomerRequestFields& fields) {
        const std::string prod = Text(product), pub = Text(publicName), pass = Text(password),
                          event = Text(eventName), context = Text(contextId), lang = Text(language),
                          mach = Text(machine);
        if (Present(context))
            Require(fields.SetContextId(context.c_str()));
        if (Present(prod))
            Require(fields.SetProduct(prod.c_str()));
        if (Present(pub))
            Require(fields.SetPublic(pub.c_str()));
        if (Present(pass))
            Require(fields.SetPassword(pass.c_str()));
        Require(fields.SetEventName(event.c_str()));
        if (Present(mach))
            Require(fields.SetMachine(mach.c_str()));
        if (Present(lang))
            Require(fields.SetLanguage(lang.c_str()));
    });
}

// The reply side of the exchange (test servers): every text is set, a null
// one as an empty text. The status of a created reply is 0.
vcom::IComponent* MessageFactory::CreateAddressReply(std::int32_t id, std::int32_t* err, const char* serverList) {
    return Create<IAddressReplyFields>(AddressReplyKind, id, err, [&](IAddressReplyFields& fields) {
        const std::string list = Text(serverList);
        Require(fields.SetServerList(list.c_str()));
    });
}

vcom::IComponent* MessageFactory::CreateTicketReply(std::int32_t id, std::int32_t* err, const char* key,
                                                    const char* lifetime) {
    return Create<ITicketReplyFields>(TicketReplyKind, id, err, [&](ITicketReplyFields& fields) {
        const std::string k = Text(key), l = Text(lifetime);
        Require(fields.SetKey(k.c_str()));
        Require(fields.SetLifetime(l.c_str()));
    });
}

vcom::IComponent* MessageFactory::DecodeRequest(std::int32_t id, std::int32_t* err, Stream* stream) {
    return Decode(id, err, stream, &IsRequestKind);
}

vcom::IComponent* MessageFactory::DecodeReply(std::int32_t id, std::int32_t* err, Stream* stream) {
    return Decode(id, err, stream, &IsReplyKind);
}

vcom::ref<IMessageFactory> GetMessageFactory() {
    return vcom::ref<IMessageFactory>::share(&vcom::ProcessWide<MessageFactory>());
}

} // namespace Dead
