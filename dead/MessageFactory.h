// The process-wide binary message factory (GetMessageFactory, dead/Message.h).
#ifndef TARN_DEAD_MESSAGEFACTORY_H
#define TARN_DEAD_MESSAGEFACTORY_H

#include <cstdint>

#include "dead/Message.h"
#include "vcom/Component.h"

namespace Dead {

class MessageFactory : public vcom::Component<MessageFactory, vcom::Iface<IMessageFactory>> {
public:
    MessageFactory() = default;

    // Process-wide (vcom/ProcessWide.h): the last Release leaves it in place.
    std::int32_t Release() override;

    vcom::IComponent* CreateAddressRequest(std::int32_t id, std::int32_t* err, const char* product,
                                           const char* category, const char* server, const char* att1) override;
    vcom::IComponent* CreateCustomerRequest(std::int32_t id, std::int32_t* err, const char* product,
                                            const char* publicName, const char* password, const char* eventName,
                                            const char* contextId, const char* language,
                                            const char* machine) override;
    vcom::IComponent* CreateAddressReply(std::int32_t id, std::int32_t* err, const char* serverList) override;
    vcom::IComponent* CreateTicketReply(std::int32_t id, std::int32_t* err, const char* key,
                                        const char* lifetime) override;
    vcom::IComponent* DecodeRequest(std::int32_t id, std::int32_t* err, Stream* stream) override;
    vcom::IComponent* DecodeReply(std::int32_t id, std::int32_t* err, Stream* stream) override;
};

// Reads the message envelope (majorId, minorId) and returns the minorId. A majorId
// other than 1 raises rpcLib::RPCException "majorId N is not handled by this
// factory."; a minorId that isKind refuses raises "minorId N not recognized.".
std::uint16_t ReadEnvelope(Stream& stream, bool (*isKind)(std::uint16_t minorId));

} // namespace Dead

#endif
