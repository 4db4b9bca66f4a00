// TarnClient: the binary interface a host program sees.
//
// A host loads the library, obtains the component factory from
// TarnClientLib_GetComponentFactory(), creates components by interface id and
// calls them through the interfaces below. Every interface pointer a host
// receives carries one reference that it gives back with Release(); every text
// the library hands out is freed with TarnClientLib_MemFree().
#ifndef TARNCLIENT_TARNCLIENT_H
#define TARNCLIENT_TARNCLIENT_H

#include <cstdint>

namespace vcom {

// Result codes. 0 is success, negative values are failures, a positive value
// is a warning that still delivers a result.
enum {
    Success = 0,
    Failure = -1,
    BadData = -2,
    NotImplemented = -3,
    OutOfMemory = -4,
    InvalidArgument = -5,
    InvalidOutPointer = -6,
};

// The root of every interface. The order of these operations is the binary
// contract; never reorder them.
class IComponent {
public:
    virtual std::int32_t Reserved(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) = 0;
    virtual std::int32_t AddRef() = 0;
    virtual std::int32_t Release() = 0;
    virtual IComponent* QueryInterface(std::int32_t id, std::int32_t* err) const = 0;
    virtual IComponent* QueryInterface(std::int32_t id, std::int32_t* err) = 0;
    virtual bool Supports(std::int32_t id) = 0;

protected:
    // Objects are destroyed by their last Release(), never by the host.
    virtual ~IComponent() {}
};

} // namespace vcom

namespace tarnclient {

// Where the address server lives: "<IP Address>:<Port>", split at its first ':'.
class IServerLocation : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 4000;
    virtual char* GetAddress() = 0;
    virtual char* GetHost() = 0;
    virtual std::int32_t GetPort() = 0;
};

// One server of a product, as the address server reported it.
class IServerAddress : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 2001;
    virtual char* GetName() = 0;
    virtual char* GetAddress() = 0;
    virtual std::int32_t GetPort() = 0;
    virtual char* GetHost() = 0;
    virtual std::int32_t GetUc() = 0;
};

// An ordered list of servers. Walk it with a position from Begin() and Next()
// until Next() returns null; release every element it returns.
class IServerAddressList : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = -2;
    virtual IServerAddress* Next(std::int32_t* pos) = 0;
    virtual IServerAddress* Prev(std::int32_t* pos) = 0;
    virtual std::int32_t Begin() = 0;
    virtual std::int32_t End() = 0;
    virtual bool IsEmpty() = 0;
    virtual std::int32_t Count() = 0;
};

// Looks up servers by product, service category, server name and attribute.
// A failed query yields null.
class IAddressManager : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 2006;
    virtual IServerAddress* GetServerAddress(const char* product, const char* category, const char* name,
                                             const char* att1) = 0;
    virtual IServerAddressList* GetServerAddressEnum(const char* product, const char* category, const char* name,
                                                     const char* att1) = 0;
};

// The stable identifier of this computer.
class IMachineIdentity : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 2005;
    virtual char* GetMachineId() = 0;
};

// Filled in by the library, answered by the host in IDisplayCallback::PromptLogin.
struct LoginPrompt {
    char publicName[40];
    char password[40];
    char contextId[40];
    // 0: log in with publicName and password; 1: use contextId; other: prompt again.
    std::int32_t action;
};
static_assert(sizeof(LoginPrompt) == 124, "LoginPrompt crosses the library boundary");

// Implemented by the host. The library calls PromptLogin and ReportError only,
// and never while it holds a lock, so the host may call back into the library.
class IDisplayCallback : public vcom::IComponent {
public:
    // 0: act on prompt->action; positive: give up with that result; negative: fail with it.
    virtual std::int32_t PromptLogin(LoginPrompt* prompt) = 0;
    virtual std::int32_t Unused1(std::int32_t, std::int32_t) = 0;
    virtual std::int32_t Unused2(std::int32_t, std::int32_t) = 0;
    // code: the application error (for example 2006); zero: always 0.
    // Negative: fail the request with that value; otherwise go on.
    virtual std::int32_t ReportError(std::int32_t code, std::int32_t zero) = 0;
};

// The primary interface of the customer manager; both operations are reserved.
class ICustomerAccount : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 1006;
    virtual std::int32_t Reserved4(std::int32_t, std::int32_t, std::int32_t) = 0;
    virtual std::int32_t Reserved5(std::int32_t, std::int32_t, std::int32_t) = 0;
};

// Login tickets and the process-wide ticket store.
class ICustomerManager : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 2004;
    // 0: *ticket holds a new text (free it with TarnClientLib_MemFree); 1: no stored ticket;
    // a positive value from PromptLogin: the host gave up; negative: a failure code.
    virtual std::int32_t GetTicket(const char* product, const char* eventName, const char* contextId,
                                   const char* language, std::int32_t useStoredTicket, IDisplayCallback* callback,
                                   char** ticket) = 0;
    virtual std::int32_t PutTicket(const char* product, const char* eventName, const char* ticket) = 0;
    // 0: removed; 1: nothing was stored.
    virtual std::int32_t RemoveTicket(const char* product, const char* eventName) = 0;
};

// Creates the customer manager.
class IComponentFactory : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 1000;
    // serverAddress: "<IP Address>:<Port>", or null/empty for the configured address.
    virtual vcom::IComponent* CreateCustomerManager(std::int32_t id, std::int32_t* err,
                                                    const char* serverAddress) = 0;
    virtual vcom::IComponent* CreateReserved1(std::int32_t a, std::int32_t* err, std::int32_t b) = 0;
};

// Creates everything else.
class ICoreFactory : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 2000;
    virtual vcom::IComponent* CreateAddressManager(std::int32_t id, std::int32_t* err, const char* serverAddress) = 0;
    virtual vcom::IComponent* CreateServerAddress(std::int32_t id, const char* name, const char* address,
                                                  std::int32_t* err, std::int32_t uc) = 0;
    virtual vcom::IComponent* CreateMachineIdentity(std::int32_t id, std::int32_t* err) = 0;
    virtual vcom::IComponent* CreateReserved2(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t* err) = 0;
    virtual vcom::IComponent* CreateReserved3(std::int32_t a, std::int32_t b) = 0;
    // The process-wide server location; the first successful call fixes it.
    virtual vcom::IComponent* GetConfiguration(std::int32_t id, std::int32_t* err, const char* serverAddress) = 0;
};

} // namespace tarnclient

extern "C" {
tarnclient::IComponentFactory* TarnClientLib_GetComponentFactory();
void* TarnClientLib_MemAlloc(std::uint32_t size);
void TarnClientLib_MemFree(void* p);
}

#endif
