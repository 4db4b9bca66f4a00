// The internal interfaces of binary message records and of the message factory.
// Hosts never see these.
#ifndef TARN_DEAD_MESSAGE_H
#define TARN_DEAD_MESSAGE_H

#include <cstdint>

#include <tarnclient/TarnClient.h>

#include "vcom/Ref.h"

namespace Dead {

class Stream;

// Primary interface of every record: it writes itself to and reads itself from a stream.
class IMessage : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = -100;
    virtual std::int32_t Write(Stream* stream) = 0;
    virtual std::int32_t Read(Stream* stream) = 0;
};

// Every operation returns interface `id` of a new record with one reference,
// or null with *err set.
class IMessageFactory : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 2012;
    virtual vcom::IComponent* CreateAddressRequest(std::int32_t id, std::int32_t* err, const char* product,
                                                   const char* category, const char* server, const char* att1) = 0;
    virtual vcom::IComponent* CreateCustomerRequest(std::int32_t id, std::int32_t* err, const char* product,
                                                    const char* publicName, const char* password,
                                                    const char* eventName, const char* contextId,
                                                    const char* language, const char* machine) = 0;
    virtual vcom::IComponent* CreateAddressReply(std::int32_t id, std::int32_t* err, const char* serverList) = 0;
    virtual vcom::IComponent* CreateTicketReply(std::int32_t id, std::int32_t* err, const char* key,
                                                const char* lifetime) = 0;
    virtual vcom::IComponent* DecodeRequest(std::int32_t id, std::int32_t* err, Stream* stream) = 0;
    virtual vcom::IComponent* DecodeReply(std::int32_t id, std::int32_t* err, Stream* stream) = 0;
};

// The process-wide message factory, with one reference added.
vcom::ref<IMessageFactory> GetMessageFactory();

} // namespace Dead

#endif
