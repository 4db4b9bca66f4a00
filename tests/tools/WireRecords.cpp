#include "WireRecords.h"

#include "address/Records.h"
#include "dead/Message.h"
#include "dead/Stream.h"
#include "vcom/MemHolder.h"
#include "vcom/Ref.h"

namespace tarntest {

namespace {

std::string Bytes(vcom::IComponent* record) {
    std::int32_t err = 0;
    vcom::ref<Dead::IMessage> message = vcom::Query<Dead::IMessage>(record, &err);
    Dead::Stream stream = Dead::Stream::Growable(80, 128);
    message->Write(&stream);
    const Dead::Buffer& buffer = stream.GetBuffer();
    return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Length());
}

std::string Text(char* copy) {
    vcom::LibMemHolder holder(copy);
    return copy ? copy : "";
}

} // namespace

std::string AddressRequestBody(const char* product, const char* category, const char* server, const char* att1) {
    std::int32_t err = 0;
    vcom::ref<vcom::IComponent> record(Dead::GetMessageFactory()->CreateAddressRequest(
        Dead::IMessage::Id, &err, product, category, server, att1 ? att1 : ""));
    return Bytes(record.get());
}

std::string CustomerRequestBody(const char* product, const char* publicName, const char* password,
                                const char* event, const char* contextId) {
    std::int32_t err = 0;
    vcom::ref<vcom::IComponent> record(Dead::GetMessageFactory()->CreateCustomerRequest(
        Dead::IMessage::Id, &err, product, publicName, password, event, contextId, nullptr, "{MACHINE}"));
    return Bytes(record.get());
}

ReplyRecord ReadReply(const std::string& body) {
    ReplyRecord reply;
    Dead::Stream stream = Dead::Stream::FromBytes(body.data(), static_cast<std::uint32_t>(body.size()));
    std::int32_t err = 0;
    vcom::ref<vcom::IComponent> record(Dead::GetMessageFactory()->DecodeReply(Dead::IMessage::Id, &err, &stream));
    if (!record)
        return reply;
    reply.decoded = true;
    reply.minorId = static_cast<std::uint16_t>((static_cast<unsigned char>(body.at(2)) << 8) |
                                               static_cast<unsigned char>(body.at(3)));
    auto status = vcom::Query<address::IReplyStatus>(record.get(), &err);
    reply.status = status->GetStatus();
    reply.fieldCount = status->GetFieldCount();
    if (auto fields = vcom::Query<address::IAddressReplyFields>(record.get(), &err))
        reply.serverList = Text(fields->GetServerList());
    if (auto fields = vcom::Query<address::ITicketReplyFields>(record.get(), &err)) {
        reply.key = Text(fields->GetKey());
        reply.lifetime = Text(fields->GetLifetime());
    }
    return reply;
}

} // namespace tarntest
