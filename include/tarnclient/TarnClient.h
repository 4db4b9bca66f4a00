// TarnClient: the binary interface a host program sees.
//
// Contract. A host loads the library, obtains the component factory from
// TarnClientLib_GetComponentFactory(), creates components by interface id and
// calls them through the interfaces below. Every interface pointer a host
// receives carries one reference that it gives back with Release() (or holds
// in a tarnclient::Ref); every text the library hands out is freed with
// TarnClientLib_MemFree(). No call throws; failures are the codes below.
//
// Compilers. This header alone gives every interface the virtual table the
// library has: on Linux the Itanium layout (g++, clang), on Windows x86 and
// x86-64 the Microsoft layout (Visual Studio, clang-cl, MinGW g++, clang for
// MinGW). On x86 every interface operation is __thiscall, as those four
// compile member functions (g++ -mrtd excepted), and the exports are
// __cdecl whatever the host's options make the default. It needs no
// standard library header, so it also builds in a host without one.
#ifndef TARNCLIENT_TARNCLIENT_H
#define TARNCLIENT_TARNCLIENT_H

// The library's version; the build refuses to configure when it differs from
// the CMake project's version.
#define TARNCLIENT_VERSION_MAJOR 1
#define TARNCLIENT_VERSION_MINOR 0
#define TARNCLIENT_VERSION_PATCH 0
#define TARNCLIENT_VERSION_STRING "1.0.0"

namespace vcom {

// The scalars of the interface: the types std::int32_t and std::uint32_t name
// on every supported target, spelled here so that no library header is needed.
typedef int int32;
typedef unsigned int uint32;
static_assert(sizeof(int32) == 4 && sizeof(uint32) == 4, "TarnClient needs a 32-bit int");

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
    // The host stopped the call (tarnclient::ICallControl::Cancel).
    Cancelled = -7,
};

// The root of every interface. Its table entries:
//   0 Reserved  1 AddRef  2 Release  3 QueryInterface const
//   4 QueryInterface  5 Supports  6 the destructor (6 and 7 on Linux),
//   then the interface's own operations in the order declared.
// No virtual operation shares its name with another: the Microsoft layout
// groups and reverses overloads, so the two QueryInterface entries have names
// of their own and the QueryInterface overloads a host calls forward to them.
class IComponent {
public:
    virtual int32 Reserved(int32, int32, int32, int32, int32) = 0;
    virtual int32 AddRef() = 0;
    virtual int32 Release() = 0;
    virtual IComponent* QueryInterfaceConst(int32 id, int32* err) const = 0;
    virtual IComponent* QueryInterfaceMutable(int32 id, int32* err) = 0;
    virtual bool Supports(int32 id) = 0;

    // The requested interface of the same object with one reference added,
    // or null with the code in *err.
    IComponent* QueryInterface(int32 id, int32* err) const { return QueryInterfaceConst(id, err); }
    IComponent* QueryInterface(int32 id, int32* err) { return QueryInterfaceMutable(id, err); }

protected:
    // Objects are destroyed by their last Release(), never by the host.
    //
    // Entry 6 on: the one place where the targets differ. The Microsoft layout
    // has one destructor entry, a deleting destructor taking flags (bit 0 set:
    // free the memory) and returning the object. Declaring it as a plain
    // operation and the destructor as non-virtual gives that entry under every
    // Windows compiler alike, MinGW's Itanium-style g++ included. The Itanium
    // layout keeps the virtual destructor (two entries, 6 and 7), and there
    // an implementation's DeletingDestructor is an ordinary member, so it is
    // marked with TARNCLIENT_ENTRY6_OVERRIDE rather than override.
#if defined(_WIN32)
    virtual void* DeletingDestructor(unsigned int flags) = 0;
    ~IComponent() {}
#define TARNCLIENT_ENTRY6_OVERRIDE override
#else
    virtual ~IComponent() {}
#define TARNCLIENT_ENTRY6_OVERRIDE
#endif
};

} // namespace vcom

namespace tarnclient {

using vcom::int32;
using vcom::uint32;

// Where the address server lives: "<IP Address>:<Port>", split at its first ':'.
class IServerLocation : public vcom::IComponent {
public:
    static constexpr int32 Id = 4000;
    virtual char* GetAddress() = 0;
    virtual char* GetHost() = 0;
    virtual int32 GetPort() = 0;
};

// One server of a product, as the address server reported it.
class IServerAddress : public vcom::IComponent {
public:
    static constexpr int32 Id = 2001;
    virtual char* GetName() = 0;
    virtual char* GetAddress() = 0;
    virtual int32 GetPort() = 0;
    virtual char* GetHost() = 0;
    virtual int32 GetUc() = 0;
};

// An ordered list of servers. Walk it with a position from Begin() and Next()
// until Next() returns null; release every element it returns.
class IServerAddressList : public vcom::IComponent {
public:
    static constexpr int32 Id = -2;
    virtual IServerAddress* Next(int32* pos) = 0;
    virtual IServerAddress* Prev(int32* pos) = 0;
    virtual int32 Begin() = 0;
    virtual int32 End() = 0;
    virtual bool IsEmpty() = 0;
    virtual int32 Count() = 0;
};

// Looks up servers by product, service category, server name and attribute.
// A failed query yields null.
class IAddressManager : public vcom::IComponent {
public:
    static constexpr int32 Id = 2006;
    virtual IServerAddress* GetServerAddress(const char* product, const char* category, const char* name,
                                             const char* att1) = 0;
    virtual IServerAddressList* GetServerAddressEnum(const char* product, const char* category, const char* name,
                                                     const char* att1) = 0;
};

// The stable identifier of this computer.
class IMachineIdentity : public vcom::IComponent {
public:
    static constexpr int32 Id = 2005;
    virtual char* GetMachineId() = 0;
};

// Filled in by the library, answered by the host in IDisplayCallback::PromptLogin.
struct LoginPrompt {
    char publicName[40];
    char password[40];
    char contextId[40];
    // 0: log in with publicName and password; 1: use contextId; other: prompt again.
    int32 action;
};
static_assert(sizeof(LoginPrompt) == 124, "LoginPrompt crosses the library boundary");

// Implemented by the host. The library calls PromptLogin and ReportError only,
// and never while it holds a lock, so the host may call back into the library.
class IDisplayCallback : public vcom::IComponent {
public:
    // Not one the library asks for; QueryInterface of a host's callback may answer it.
    static constexpr int32 Id = 2007;
    // 0: act on prompt->action; positive: give up with that result; negative: fail with it.
    virtual int32 PromptLogin(LoginPrompt* prompt) = 0;
    virtual int32 Unused1(int32, int32) = 0;
    virtual int32 Unused2(int32, int32) = 0;
    // code: the application error (for example 2006); zero: always 0.
    // Negative: fail the request with that value; otherwise go on.
    virtual int32 ReportError(int32 code, int32 zero) = 0;
};

// The primary interface of the customer manager; both operations are reserved.
class ICustomerAccount : public vcom::IComponent {
public:
    static constexpr int32 Id = 1006;
    virtual int32 Reserved4(int32, int32, int32) = 0;
    virtual int32 Reserved5(int32, int32, int32) = 0;
};

// Login tickets and the process-wide ticket store.
class ICustomerManager : public vcom::IComponent {
public:
    static constexpr int32 Id = 2004;
    // 0: *ticket holds a new text (free it with TarnClientLib_MemFree); 1: no stored ticket;
    // a positive value from PromptLogin: the host gave up; negative: a failure code.
    // A new ticket is not put into the store: call PutTicket to keep it for
    // a later GetTicket with useStoredTicket, which hands a stored ticket out
    // once (and removes it).
    virtual int32 GetTicket(const char* product, const char* eventName, const char* contextId,
                                   const char* language, int32 useStoredTicket, IDisplayCallback* callback,
                                   char** ticket) = 0;
    virtual int32 PutTicket(const char* product, const char* eventName, const char* ticket) = 0;
    // 0: removed; 1: nothing was stored.
    virtual int32 RemoveTicket(const char* product, const char* eventName) = 0;
};

// Why a call failed, as ICallControl::GetLastFailure reports it.
enum CallFailure : int32 {
    CallSucceeded = 0,       // the last call did not fail
    CallNotReached = 1,      // the server was not reached (name, connection)
    CallNoReply = 2,         // no reply, or not all of it: time-out, closed, cut
    CallUnreadableReply = 3, // a reply that is not what the service sends
    CallRefused = 4,         // the server answered no: an HTTP or application status
    CallCancelled = 5,       // ICallControl::Cancel stopped it
    CallPastDeadline = 6,    // the deadline of ICallControl::SetDeadline passed
    CallBadArgument = 7,     // refused before anything was sent
};

// Control over the calls of one component, answered by the address manager
// and the customer manager. Any thread may call it at any time, also while
// another thread is inside a call of that component.
class ICallControl : public vcom::IComponent {
public:
    static constexpr int32 Id = 3001;
    // Stops the call in flight on this component, or waiting to begin its
    // exchange: within 100 ms a lookup returns null and GetTicket returns
    // vcom::Cancelled; nothing leaks or stays locked, nothing is stored half,
    // and the next call runs normally. 0: a call was stopped; 1: none was in
    // flight. Never waits on the network.
    virtual int32 Cancel() = 0;
    // The total time each later call of this component may take, the wait
    // for another call's exchange included; 0 restores the library's own
    // bounds. Negative: vcom::InvalidArgument.
    virtual int32 SetDeadline(int32 milliseconds) = 0;
    // The one-line cause of this component's last failed call (free it with
    // TarnClientLib_MemFree), with *kind from CallFailure; null after a
    // success (kind CallSucceeded). kind may be null.
    virtual char* GetLastFailure(int32* kind) = 0;
};

// Creates the customer manager.
class IComponentFactory : public vcom::IComponent {
public:
    static constexpr int32 Id = 1000;
    // serverAddress: "<IP Address>:<Port>", or null/empty for the configured address.
    virtual vcom::IComponent* CreateCustomerManager(int32 id, int32* err,
                                                    const char* serverAddress) = 0;
    virtual vcom::IComponent* CreateReserved1(int32 a, int32* err, int32 b) = 0;
};

// Creates everything else.
class ICoreFactory : public vcom::IComponent {
public:
    static constexpr int32 Id = 2000;
    virtual vcom::IComponent* CreateAddressManager(int32 id, int32* err, const char* serverAddress) = 0;
    virtual vcom::IComponent* CreateServerAddress(int32 id, const char* name, const char* address,
                                                  int32* err, int32 uc) = 0;
    virtual vcom::IComponent* CreateMachineIdentity(int32 id, int32* err) = 0;
    virtual vcom::IComponent* CreateReserved2(int32 a, int32 b, int32 c, int32* err) = 0;
    virtual vcom::IComponent* CreateReserved3(int32 a, int32 b) = 0;
    // The process-wide server location; the first successful call fixes it.
    virtual vcom::IComponent* GetConfiguration(int32 id, int32* err, const char* serverAddress) = 0;
};


// The server's application codes, which IDisplayCallback::ReportError receives.
enum AppError : int32 {
    UnknownProduct = 2001,
    UnknownEvent = 2002,
    InvalidPublicName = 2003,
    InvalidPassword = 2004,
    UnknownAccount = 2005,
    WrongPassword = 2006,
    EventNotOpen = 2007,
    NotPermitted = 2008,
    AuthorizationFailed = 2009,
    ServiceUnavailable = 9001,
};

// A short English text for an application code, for a host's messages.
// (One expression, so that C++11 hosts can use it in constant expressions.)
constexpr const char* AppErrorText(int32 code) {
    return code == UnknownProduct        ? "the product name does not match any product"
           : code == UnknownEvent        ? "the event name does not match any event of the product"
           : code == InvalidPublicName   ? "invalid public name (3 to 30 letters and digits)"
           : code == InvalidPassword     ? "invalid password (3 to 30 letters and digits)"
           : code == UnknownAccount      ? "no account has this public name"
           : code == WrongPassword       ? "the password is wrong"
           : code == EventNotOpen        ? "the event has not started yet or is already over"
           : code == NotPermitted        ? "this account may not take part in the event"
           : code == AuthorizationFailed ? "the authorization failed (unknown or expired context id)"
           : code == ServiceUnavailable  ? "the service is unavailable"
                                         : "unrecognised application error";
}

// A base for a host's login display: derive from it and write PromptLogin and
// ReportError. The object belongs to the host, which keeps it alive while
// GetTicket runs; the library takes no reference to it and never destroys
// it, so AddRef and Release count nothing and the destructor entry does
// nothing.
class DisplayCallback : public IDisplayCallback {
public:
    int32 Reserved(int32, int32, int32, int32, int32) override { return vcom::NotImplemented; }
    int32 AddRef() override { return 1; }
    int32 Release() override { return 1; }
    vcom::IComponent* QueryInterfaceConst(int32 id, int32* err) const override {
        return const_cast<DisplayCallback*>(this)->QueryInterfaceMutable(id, err);
    }
    vcom::IComponent* QueryInterfaceMutable(int32 id, int32* err) override {
        const bool known = Supports(id);
        if (err)
            *err = known ? vcom::Success : vcom::Failure;
        return known ? this : nullptr;
    }
    bool Supports(int32 id) override { return id == 0 || id == IDisplayCallback::Id; }
    int32 Unused1(int32, int32) override { return vcom::NotImplemented; }
    int32 Unused2(int32, int32) override { return vcom::NotImplemented; }

protected:
    void* DeletingDestructor(unsigned int) TARNCLIENT_ENTRY6_OVERRIDE { return this; }
};

// Holds one reference to an interface and gives it back when it goes out of
// scope. Move-only; never holds a reference it did not adopt.
//
//   Ref<ICoreFactory> core = Ref<vcom::IComponent>(factory).As<ICoreFactory>(&err);
template <class T>
class Ref {
public:
    Ref() : m_p(nullptr) {}
    // Adopts the reference that came with p (from a factory, QueryInterface or a lookup).
    explicit Ref(T* p) : m_p(p) {}
    // Adopts a creation result, which the factories type as IComponent*.
    static Ref Adopt(vcom::IComponent* p) { return Ref(static_cast<T*>(p)); }

    Ref(Ref&& other) noexcept : m_p(other.detach()) {}
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other)
            reset(other.detach());
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { reset(); }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // Gives the reference to the caller; the holder is empty afterwards.
    T* detach() noexcept {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    // Releases the held reference and adopts p.
    void reset(T* p = nullptr) {
        T* old = m_p;
        m_p = p;
        if (old)
            old->Release();
    }

    // The same object as interface I, with a reference of its own; empty, with
    // the code in *err (if given), when the object does not answer I::Id.
    template <class I>
    Ref<I> As(int32* err = nullptr) const {
        int32 code = vcom::Failure;
        I* found = m_p ? static_cast<I*>(m_p->QueryInterface(I::Id, &code)) : nullptr;
        if (err)
            *err = code;
        return Ref<I>(found);
    }

private:
    T* m_p;
};

} // namespace tarnclient

// The exports' calling convention; it matters on x86 only, where a host may
// make another one its default (/Gz, /Gr, /Gv).
#if defined(_WIN32)
#define TARNCLIENT_CDECL __cdecl
#else
#define TARNCLIENT_CDECL
#endif

extern "C" {
tarnclient::IComponentFactory* TARNCLIENT_CDECL TarnClientLib_GetComponentFactory();
void* TARNCLIENT_CDECL TarnClientLib_MemAlloc(vcom::uint32 size);
void TARNCLIENT_CDECL TarnClientLib_MemFree(void* p);
// Every trace line, as TARN_TRACE would write it but without its line end,
// goes to sink(context, line) on the thread that traced, one line at a time;
// null turns it off. May be set or changed at any time; once it returns, the
// previous sink is not called again. The sink must not call the library.
void TARNCLIENT_CDECL TarnClientLib_SetTraceSink(void(TARNCLIENT_CDECL* sink)(void* context, const char* line),
                                                 void* context);
}

#endif
