// Asks the address server where the servers of a product live.
//
// Every query is one fresh POST to the address server whose location was
// copied at construction; nothing is cached between queries. The object's
// lock is held across exactly the HTTP exchange, so the exchanges of one
// manager never overlap.
#ifndef TARN_ADDRESS_ADDRESSMANAGER_H
#define TARN_ADDRESS_ADDRESSMANAGER_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>
#include <xmlparser/XMLParser.h>

#include "address/ServerLocation.h"
#include "dead/Message.h"
#include "dead/Records.h"
#include "http/CallControl.h"
#include "vcom/Component.h"
#include "vcom/CriticalSection.h"
#include "vcom/Ref.h"

namespace address {

class AddressManager : public vcom::Component<AddressManager, vcom::Iface<tarnclient::IAddressManager>,
                                              vcom::Iface<tarnclient::IServerLocation>,
                                              vcom::Iface<tarnclient::ICallControl>> {
public:
    // Copies the three values of location; throws Failure when it cannot.
    explicit AddressManager(tarnclient::IServerLocation& location);

    // IAddressManager
    tarnclient::IServerAddress* GetServerAddress(const char* product, const char* category, const char* name,
                                                 const char* att1) override;
    tarnclient::IServerAddressList* GetServerAddressEnum(const char* product, const char* category,
                                                         const char* name, const char* att1) override;

    // IServerLocation, from this object's own copy.
    char* GetAddress() override;
    char* GetHost() override;
    std::int32_t GetPort() override;

    // ICallControl
    std::int32_t Cancel() override { return m_control.Cancel(); }
    std::int32_t SetDeadline(std::int32_t milliseconds) override { return m_control.SetDeadline(milliseconds); }
    char* GetLastFailure(std::int32_t* kind) override { return m_control.GetLastFailure(kind); }

private:
    // Both lookups, within call: the servers that match, or null.
    tarnclient::IServerAddressList* Lookup(const char* product, const char* category, const char* name,
                                           const char* att1, const http::Call& call);

    // One exchange with the address server within call: 0 and the reply
    // with status 0, or a negative code.
    std::int32_t GetDataFromQAS(const std::string& product, const std::string& category, const std::string& server,
                                const std::string& att1, vcom::ref<Dead::IAddressReplyFields>& reply,
                                const http::Call& call);

    // Held for the manager's life: a parser keeps nothing between documents.
    const vcom::ref<xmlparser::IParser> m_xmlParser;
    vcom::CriticalSection m_lock;
    ServerLocation m_location;
    http::CallControl m_control;
};

} // namespace address

#endif
