// The customer-account component: login tickets by context id, through the
// host's login prompt, or from the process-wide ticket store.
//
// Locks: the instance lock guards this object's fields and is held across
// exactly the HTTP exchange, so the exchanges of one object never overlap;
// everything shared between instances goes through SharedState's lock. The
// two are never held together, and neither is held while the host is called
// back, so a host may call any operation from its callbacks.
#ifndef TARN_CUSTOMER_CUSTOMERMANAGER_H
#define TARN_CUSTOMER_CUSTOMERMANAGER_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>

#include "customer/TicketArgs.h"
#include "http/CallControl.h"
#include "messages/SecretText.h"
#include "vcom/Component.h"
#include "vcom/CriticalSection.h"

namespace customer {

class CustomerManager
    : public vcom::Component<CustomerManager, vcom::Iface<tarnclient::ICustomerAccount>,
                             vcom::Iface<tarnclient::ICustomerManager>, vcom::Iface<tarnclient::IServerLocation>,
                             vcom::Iface<tarnclient::ICallControl>> {
public:
    // Copies the location, reads the machine identifier and loads the
    // registry settings that no instance has loaded yet. Throws a code.
    explicit CustomerManager(tarnclient::IServerLocation* location);
    // Writes the remembered login back once a login succeeded in the process.
    ~CustomerManager() override;

    // ICustomerAccount
    std::int32_t Reserved4(std::int32_t, std::int32_t, std::int32_t) override;
    std::int32_t Reserved5(std::int32_t, std::int32_t, std::int32_t) override;

    // ICustomerManager
    std::int32_t GetTicket(const char* product, const char* eventName, const char* contextId, const char* language,
                           std::int32_t useStoredTicket, tarnclient::IDisplayCallback* callback,
                           char** ticket) override;
    std::int32_t PutTicket(const char* product, const char* eventName, const char* ticket) override;
    std::int32_t RemoveTicket(const char* product, const char* eventName) override;

    // IServerLocation
    char* GetAddress() override;
    char* GetHost() override;
    std::int32_t GetPort() override;

    // ICallControl
    std::int32_t Cancel() override { return m_control.Cancel(); }
    std::int32_t SetDeadline(std::int32_t milliseconds) override { return m_control.SetDeadline(milliseconds); }
    char* GetLastFailure(std::int32_t* kind) override { return m_control.GetLastFailure(kind); }

private:
    std::int32_t TakeStoredTicket(const GetTicketArgs& args, char** ticket);
    std::int32_t ContextRoute(const GetTicketArgs& args, char** ticket, const http::Call& call);
    std::int32_t LoginRoute(const GetTicketArgs& args, char** ticket, http::Call& call);

    // One exchange with the "Get Ticket" servlet. False when the user can try
    // again (a correctable application error, or no public name); throws a
    // code otherwise.
    bool ExchangeForTicket(const GetTicketArgs& args, tarnClientLib::SecretText& key, const http::Call& call);

    vcom::CriticalSection m_lock;
    std::string m_publicName; // as last entered at this instance's login prompt
    tarnClientLib::SecretText m_password;
    std::string m_address;
    std::string m_host;
    std::int32_t m_port = 0;
    std::string m_machineId;
    http::CallControl m_control;
};

} // namespace customer

#endif
