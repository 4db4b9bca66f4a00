#include "RecordCodec.h"

#include "dead/Message.h"
#include "dead/Records.h"
#include "dead/Stream.h"
#include "vcom/MemHolder.h"
#include "vcom/Ref.h"

namespace devserver {

namespace {

using vcom::IComponent;

vcom::ref<Dead::IMessageFactory> Factory() {
    vcom::ref<Dead::IMessageFactory> factory = Dead::GetMessageFactory();
    if (!factory)
        throw std::runtime_error("the message factory cannot be created");
    return factory;
}

// The value of a getter: present is false when the record has no such field.
std::string Field(char* copy, bool* present = nullptr) {
    vcom::LibMemHolder holder(copy);
    if (present)
        *present = copy != nullptr;
    return copy ? std::string(copy) : std::string();
}

std::string Encode(IComponent* record) {
    std::int32_t err = 0;
    vcom::ref<Dead::IMessage> message = vcom::Query<Dead::IMessage>(record, &err);
    if (!message)
        throw std::runtime_error("a reply record without its message interface (code " + std::to_string(err) + ")");
    Dead::Stream stream = Dead::Stream::Growable(128, 128);
    const std::int32_t written = message->Write(&stream);
    if (written != 0)
        throw std::runtime_error("a reply record could not be written (code " + std::to_string(written) + ")");
    const Dead::Buffer& buffer = stream.GetBuffer();
    return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Length());
}

// The records have no status setter: the status sits right after the
// envelope (majorId, minorId), as two big-endian bytes.
std::string WithStatus(std::string bytes, std::uint16_t status) {
    bytes.at(4) = static_cast<char>(status >> 8);
    bytes.at(5) = static_cast<char>(status & 0xFF);
    return bytes;
}

std::string EncodeEmpty(std::uint16_t kind, std::uint16_t status) {
    std::int32_t err = 0;
    vcom::ref<IComponent> record(Dead::CreateRecord(kind, Dead::IMessage::Id, &err));
    if (!record)
        throw std::runtime_error("an empty reply record cannot be created (code " + std::to_string(err) + ")");
    return WithStatus(Encode(record.get()), status);
}

// A decoded record writes back exactly the bytes it was read from; any
// other result means the body was cut short, padded, or announced more
// fields than it holds.
void RequireExactRecord(IComponent* record, const std::string& body) {
    const std::string again = Encode(record);
    if (again == body)
        return;
    if (again.size() < body.size() && body.compare(0, again.size(), again) == 0)
        throw BadRequestBody("the body holds " + std::to_string(body.size() - again.size()) +
                             " bytes after its request record");
    throw BadRequestBody("the request record is cut short: it announces more than the " +
                         std::to_string(body.size()) + " bytes of the body hold");
}

AddressQuery ReadAddressQuery(Dead::IAddressRequestFields& fields) {
    AddressQuery query;
    bool hasProduct = false, hasCategory = false, hasServer = false;
    query.product = Field(fields.GetProduct(), &hasProduct);
    query.category = Field(fields.GetCategory(), &hasCategory);
    query.server = Field(fields.GetServer(), &hasServer);
    query.att1 = Field(fields.GetAtt1(), &query.hasAtt1);
    if (!hasProduct || !hasCategory || !hasServer)
        throw BadRequestBody("the address query lacks its product, category or server field");
    return query;
}

TicketQuery ReadTicketQuery(Dead::ICustomerRequestFields& fields) {
    TicketQuery query;
    query.contextId = Field(fields.GetContextId(), &query.hasContextId);
    query.product = Field(fields.GetProduct());
    query.publicName = Field(fields.GetPublic());
    query.password = Field(fields.GetPassword());
    query.event = Field(fields.GetEventName());
    query.machine = Field(fields.GetMachine());
    query.language = Field(fields.GetLanguage());
    return query;
}

} // namespace

DecodedRequest DecodeRequestBody(const std::string& body) {
    Dead::Stream stream = Dead::Stream::FromBytes(body.data(), static_cast<std::uint32_t>(body.size()));
    std::int32_t err = 0;
    vcom::ref<IComponent> record(Factory()->DecodeRequest(Dead::IMessage::Id, &err, &stream));
    if (!record)
        throw BadRequestBody("the body is not a request record (code " + std::to_string(err) + ")");
    RequireExactRecord(record.get(), body);

    DecodedRequest request;
    if (auto fields = vcom::Query<Dead::IAddressRequestFields>(record.get(), &err)) {
        request.kind = DecodedRequest::Kind::Address;
        request.address = ReadAddressQuery(*fields);
    } else if (auto customer = vcom::Query<Dead::ICustomerRequestFields>(record.get(), &err)) {
        request.kind = DecodedRequest::Kind::Ticket;
        request.ticket = ReadTicketQuery(*customer);
    } else {
        throw BadRequestBody("the request record is of an unknown kind");
    }
    return request;
}

std::string EncodeAddressReply(std::uint16_t status, const std::string& serverList) {
    if (status != 0)
        return EncodeEmpty(Dead::AddressReplyKind, status);
    std::int32_t err = 0;
    vcom::ref<IComponent> record(Factory()->CreateAddressReply(Dead::IMessage::Id, &err, serverList.c_str()));
    if (!record)
        throw std::runtime_error("an address reply cannot be created (code " + std::to_string(err) + ")");
    return Encode(record.get());
}

std::string EncodeTicketReply(std::uint16_t status, const std::string& key, const std::string& lifetime) {
    if (status != 0)
        return EncodeEmpty(Dead::TicketReplyKind, status);
    std::int32_t err = 0;
    vcom::ref<IComponent> record(
        Factory()->CreateTicketReply(Dead::IMessage::Id, &err, key.c_str(), lifetime.c_str()));
    if (!record)
        throw std::runtime_error("a ticket reply cannot be created (code " + std::to_string(err) + ")");
    return Encode(record.get());
}

} // namespace devserver
