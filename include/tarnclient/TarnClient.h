/// \file TarnClient.h
/// The C++ interface of TarnClient: the exports, every interface, the codes.
///
/// \par Using it
/// A host includes this header and links the library (`libTarnClient.so`;
/// on Windows `TarnClient.lib` or `libTarnClient.dll.a`, with `TarnClient.dll`
/// and `XMLParser.dll` beside the program). It gets the component factory
/// from TarnClientLib_GetComponentFactory(), creates an address manager or a
/// customer manager there, and calls it. Nothing else is needed: the C
/// interface, <tarnclient/tarn.h>, is the same library seen from C.
/// \code
///   Ref<IComponentFactory> factory(TarnClientLib_GetComponentFactory());
///   int32 err = 0;
///   Ref<ICoreFactory> core = factory.As<ICoreFactory>(&err);
///   auto manager = Ref<IAddressManager>::Adopt(core->CreateAddressManager(IAddressManager::Id, &err, nullptr));
///   Ref<IServerAddressList> list(manager ? manager->GetServerAddressEnum("TARNQUEST", "game", "any", nullptr)
///                                        : nullptr);
/// \endcode
///
/// \par Ownership
/// Every interface pointer the library hands out carries one reference for
/// the receiver, who gives it back once with Release() (or lets a
/// tarnclient::Ref do it). Every text it hands out (`char*`) is a new copy
/// for the receiver, freed with TarnClientLib_MemFree(), never with the
/// host's own `free` or `delete`. Texts a host passes in are only read
/// during the call; the library copies what it keeps. No call throws.
///
/// \par Texts
/// NUL-terminated single-byte texts. The library passes them on as bytes
/// and converts nothing; the service's names are ASCII.
///
/// \par Threads
/// The library starts no thread. Every object may be called from any thread,
/// also from several at once, and a reference taken on one thread may be
/// released on another. The HTTP exchanges of the whole process run one at
/// a time: a call whose exchange must wait for another thread's waits for
/// at most that exchange (a deadline bounds the wait too). Callbacks
/// (IDisplayCallback, the trace sink) run on the thread of the call that
/// caused them.
///
/// \par Lifetimes
/// Results outlive what made them: a list, a server record or a text stays
/// valid after the manager that returned it is released, and a record taken
/// from a list outlives the list. Components outlive the factory reference
/// they were made with. A host may return from `main` or call `exit` while
/// other threads are still inside the library. It unloads the library
/// (`dlclose`, `FreeLibrary`) only when no call is in flight and it holds
/// nothing of the library any more.
///
/// \par Compilers
/// This header alone gives every interface the virtual table the library
/// has: on Linux the Itanium layout (g++, clang), on Windows x86 and x86-64
/// the Microsoft layout (Visual Studio, clang-cl, MinGW g++, clang for
/// MinGW). On x86 every interface operation is `__thiscall`, as those four
/// compile member functions (g++ `-mrtd` excepted), and the exports are
/// `__cdecl` whatever the host's options make the default. It needs no
/// standard library header and C++11 or later, so it also builds in a host
/// without a standard library.
/// \mainpage TarnClient
/// The reference of the library's two headers, the API a host sees:
/// - TarnClient.h, the C++ interface: TarnClientLib_GetComponentFactory()
///   gives the factory (tarnclient::IComponentFactory,
///   tarnclient::ICoreFactory), which makes the address manager
///   (tarnclient::IAddressManager: server lookups) and the customer manager
///   (tarnclient::ICustomerManager: login tickets through the host's
///   tarnclient::IDisplayCallback); tarnclient::ICallControl stops and
///   bounds their calls and says why one failed; vcom lists the codes.
/// - tarn.h, the C interface over the same library, for C and any language
///   with a C foreign-function interface.
///
/// Each header's page states the rules every operation follows (ownership,
/// texts, threads, lifetimes); each operation states what it takes, returns
/// and hands out.

#ifndef TARNCLIENT_TARNCLIENT_H
#define TARNCLIENT_TARNCLIENT_H

/// \name Version
/// The version of this header. The library's own, at run time: tarn_version()
/// of <tarnclient/tarn.h>, which C++ hosts may include and call too. A 1.x
/// library serves every host built with a 1.y header where y <= x.
/// @{

/// Changes only with the binary interface.
#define TARNCLIENT_VERSION_MAJOR 1
/// Grows with every release that adds something.
#define TARNCLIENT_VERSION_MINOR 0
/// Grows with every release that only fixes.
#define TARNCLIENT_VERSION_PATCH 0
/// "MAJOR.MINOR.PATCH".
#define TARNCLIENT_VERSION_STRING "1.0.0"
/// @}

/// The component model every interface is built on: the root interface and
/// the result codes.
namespace vcom {

/// A 32-bit signed value (`std::int32_t` on every supported target), spelled
/// here so that no library header is needed.
typedef int int32;
/// A 32-bit unsigned value (`std::uint32_t`).
typedef unsigned int uint32;
static_assert(sizeof(int32) == 4 && sizeof(uint32) == 4, "TarnClient needs a 32-bit int");

/// Result codes, returned by the operations that return a code and stored in
/// the `err` of those that return an interface. 0 is success and negative
/// values are failures. A positive value is no failure but says that nothing
/// was delivered; only these give one: ICustomerManager::GetTicket (1, or
/// what the host's PromptLogin returned), ICustomerManager::RemoveTicket (1)
/// and ICallControl::Cancel (1).
enum {
    Success = 0,         ///< Done.
    Failure = -1,        ///< Failed: an id the object does not answer, a request that failed or was
                         ///< refused, a registry that cannot be used. ICallControl::GetLastFailure says why.
    BadData = -2,        ///< A reply lacked data it must have. Lookups report it as null, so no
                         ///< operation returns it today.
    NotImplemented = -3, ///< A reserved operation.
    OutOfMemory = -4,    ///< An allocation failed.
    InvalidArgument = -5, ///< A missing (null or empty) or unusable argument; nothing was sent.
    InvalidOutPointer = -6, ///< A null pointer where the result was to go.
    Cancelled = -7,      ///< The host stopped the call (tarnclient::ICallControl::Cancel).
};

/// The root of every interface. A host calls AddRef, Release, QueryInterface
/// and Supports; the other entries hold the table's layout. Its table
/// entries: 0 Reserved, 1 AddRef, 2 Release, 3 QueryInterface const,
/// 4 QueryInterface, 5 Supports, 6 the destructor (6 and 7 on Linux), then
/// the interface's own operations in the order declared. No virtual
/// operation shares its name with another: the Microsoft layout groups and
/// reverses overloads, so the two QueryInterface entries have names of their
/// own and the QueryInterface overloads a host calls forward to them.
class IComponent {
public:
    /// Reserved: returns vcom::NotImplemented and does nothing.
    virtual int32 Reserved(int32, int32, int32, int32, int32) = 0;
    /// Adds a reference; returns the new count (for diagnostics only).
    virtual int32 AddRef() = 0;
    /// Gives one reference back; the object ends with its last one. Returns
    /// the new count (for diagnostics only). The pointer must not be used
    /// after its reference was given back.
    virtual int32 Release() = 0;
    /// Entry 3; call QueryInterface.
    virtual IComponent* QueryInterfaceConst(int32 id, int32* err) const = 0;
    /// Entry 4; call QueryInterface.
    virtual IComponent* QueryInterfaceMutable(int32 id, int32* err) = 0;
    /// True exactly for the ids QueryInterface answers (0 among them); adds no reference.
    virtual bool Supports(int32 id) = 0;

    /// Another interface of the same object: `id` is that interface's `Id`
    /// (0: the object's primary interface). Returns it with one reference
    /// added and stores 0 in `*err`, or returns null and stores
    /// vcom::Failure when the object does not answer `id`. `err` may be null.
    IComponent* QueryInterface(int32 id, int32* err) const { return QueryInterfaceConst(id, err); }
    /// \copydoc QueryInterface(int32,int32*) const
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
    /// Entry 6 (and 7): only the object's last Release() destroys it.
    virtual ~IComponent() {}
/// Marks a host's DeletingDestructor (see DisplayCallback): `override` on
/// Windows, where it is table entry 6; nothing on Linux.
#define TARNCLIENT_ENTRY6_OVERRIDE
#endif
};

} // namespace vcom

/// The library's interfaces, the host's helpers (Ref, DisplayCallback) and
/// the service's application codes.
namespace tarnclient {

using vcom::int32;
using vcom::uint32;

/// A server location, "<IP Address>:<Port>" split at its first ':'.
/// Answered by the address manager and the customer manager (the location
/// they use) and by ICoreFactory::GetConfiguration.
class IServerLocation : public vcom::IComponent {
public:
    static constexpr int32 Id = 4000; ///< The interface id.
    /// The whole text: a new text for TarnClientLib_MemFree; null only when memory ran out.
    virtual char* GetAddress() = 0;
    /// The text before the first ':' (may be empty), as GetAddress hands it out.
    virtual char* GetHost() = 0;
    /// The text after the first ':' read as `atoi` reads it (0 without digits).
    virtual int32 GetPort() = 0;
};

/// One server, as the address server reported it. It never changes; any
/// thread may read it.
class IServerAddress : public vcom::IComponent {
public:
    static constexpr int32 Id = 2001; ///< The interface id.
    /// The server's name: a new text for TarnClientLib_MemFree; null only when memory ran out.
    virtual char* GetName() = 0;
    /// Its location "<IP Address>:<Port>", as GetName hands it out.
    virtual char* GetAddress() = 0;
    /// The number after the first ':' of the address (0 without digits).
    virtual int32 GetPort() = 0;
    /// The text before the first ':' of the address, as GetName hands it out.
    virtual char* GetHost() = 0;
    /// The server's "uc" value, a number the service gives each server.
    virtual int32 GetUc() = 0;
};

/// The servers a lookup found, in the order the address server gave them;
/// possibly none. It never changes; several threads may walk it at once,
/// each with its own position. Walk it with a position from Begin():
/// \code
///   int32 pos = list->Begin();
///   while (Ref<IServerAddress> server{list->Next(&pos)})
///       std::printf("uc=%d\n", server->GetUc());
/// \endcode
class IServerAddressList : public vcom::IComponent {
public:
    static constexpr int32 Id = -2; ///< The interface id.
    /// The server at `*pos` with a reference for the caller, and `*pos`
    /// moved to the next one; null at End() (or for a null `pos` or a
    /// position outside the list), `*pos` then unchanged.
    virtual IServerAddress* Next(int32* pos) = 0;
    /// Moves `*pos` back by one and returns the server there with a
    /// reference for the caller; null at Begin(), `*pos` then unchanged.
    virtual IServerAddress* Prev(int32* pos) = 0;
    /// The position of the first server (0).
    virtual int32 Begin() = 0;
    /// The position just past the last server (Count()).
    virtual int32 End() = 0;
    /// True when the lookup found no server.
    virtual bool IsEmpty() = 0;
    /// The number of servers.
    virtual int32 Count() = 0;
};

/// Looks up where the servers of a product live, one request to the address
/// server per call (nothing is cached). Created by
/// ICoreFactory::CreateAddressManager; also answers IServerLocation and
/// ICallControl.
///
/// Selectors: `product` is the product's name (the service ignores its
/// letter case), `category` a service category of it such as "game",
/// `name` a server's name, or "any" for every server of the category;
/// `att1`, when neither null nor empty, keeps only the servers whose
/// attribute equals it (null or empty: no such selector). `product`,
/// `category` and `name` are required: null or empty returns null, nothing
/// sent (kind CallBadArgument).
///
/// A failed lookup returns null and its cause is ICallControl::GetLastFailure.
/// Any thread may call; calls of one manager on several threads run their
/// exchanges one after the other. The results outlive the manager.
class IAddressManager : public vcom::IComponent {
public:
    static constexpr int32 Id = 2006; ///< The interface id.
    /// The first server the address server lists for the selectors, with a
    /// reference for the caller. A null `name` means "any"; "all" is
    /// refused (null, kind CallBadArgument). Null also when no server
    /// matched, which is no failure: GetLastFailure then returns null with
    /// kind CallSucceeded.
    virtual IServerAddress* GetServerAddress(const char* product, const char* category, const char* name,
                                             const char* att1) = 0;
    /// Every server that matches, as a list with a reference for the caller;
    /// an empty list when none matched; null when the lookup failed.
    virtual IServerAddressList* GetServerAddressEnum(const char* product, const char* category, const char* name,
                                                     const char* att1) = 0;
};

/// This computer's identifier: made once (a GUID text such as
/// "{0A1B...}") and kept in the registry, so every program on the computer
/// reads the same. Created by ICoreFactory::CreateMachineIdentity.
class IMachineIdentity : public vcom::IComponent {
public:
    static constexpr int32 Id = 2005; ///< The interface id.
    /// A new text for TarnClientLib_MemFree; null only when memory ran out.
    virtual char* GetMachineId() = 0;
};

/// The login prompt the library hands to IDisplayCallback::PromptLogin.
/// Each text field holds at most 39 bytes and its NUL; the library reads a
/// field up to its first NUL (or all 40 bytes). The service accepts public
/// names and passwords of 3 to 30 ASCII letters and digits.
struct LoginPrompt {
    /// In: the public name to propose: on the first prompt of a GetTicket
    /// the last successful login of this user (kept in the registry, cut to
    /// 39 bytes), else empty; on a later prompt the name entered before.
    /// Out: the name entered.
    char publicName[40];
    /// In: the password to propose, as publicName. Out: the password entered.
    char password[40];
    /// Out: a context id, read when action is 1. In: empty on the first prompt.
    char contextId[40];
    /// Out: 0 log in with publicName and password; 1 use contextId instead;
    /// any other value: show the prompt again. In: 0 on the first prompt,
    /// later what the host left.
    int32 action;
};
static_assert(sizeof(LoginPrompt) == 124, "LoginPrompt crosses the library boundary");

/// The host's login display, which ICustomerManager::GetTicket calls while a
/// login needs it. Derive from DisplayCallback to write only PromptLogin and
/// ReportError. The library calls these two only, on the thread that called
/// GetTicket, during that call and never while it holds a lock, so they may
/// call the library (also ICallControl::Cancel of the same manager). It
/// takes no reference to the object, which must live until GetTicket
/// returns.
///
/// The login loop: PromptLogin; the library asks for a ticket; on an
/// application error ReportError, then, when the error is one the user can
/// correct (a bad or unknown name, a wrong password: 2003 to 2006),
/// PromptLogin again. The library sets no limit on the number of rounds:
/// the host ends the loop with a non-zero PromptLogin answer or a negative
/// ReportError answer (or a deadline or Cancel ends it when the prompt
/// returns).
class IDisplayCallback : public vcom::IComponent {
public:
    /// An id no library object answers, for the host's QueryInterface; the library never asks for it.
    static constexpr int32 Id = 2007;
    /// Shows the prompt and fills it in. 0: act on `prompt->action`;
    /// positive: give up, GetTicket returns that value; negative: GetTicket
    /// fails with that value.
    virtual int32 PromptLogin(LoginPrompt* prompt) = 0;
    /// Never called by the library.
    virtual int32 Unused1(int32, int32) = 0;
    /// Never called by the library.
    virtual int32 Unused2(int32, int32) = 0;
    /// Tells the host the service's application error `code` (an AppError;
    /// AppErrorText gives a text); `zero` is always 0. Negative: GetTicket
    /// fails with that value; 0 or more: go on (prompt again after a
    /// correctable error; otherwise GetTicket returns vcom::Failure). Also
    /// called with InvalidPublicName when the host asked for a login with
    /// an empty public name, or for the context id route with an empty
    /// context id; nothing is sent then.
    virtual int32 ReportError(int32 code, int32 zero) = 0;
};

/// The customer manager's primary interface (id 0 gives it too); its two
/// operations are reserved and return vcom::NotImplemented.
class ICustomerAccount : public vcom::IComponent {
public:
    static constexpr int32 Id = 1006; ///< The interface id.
    /// Reserved: returns vcom::NotImplemented.
    virtual int32 Reserved4(int32, int32, int32) = 0;
    /// Reserved: returns vcom::NotImplemented.
    virtual int32 Reserved5(int32, int32, int32) = 0;
};

/// Login tickets, and the process's ticket store. Created by
/// IComponentFactory::CreateCustomerManager; also answers ICustomerAccount,
/// IServerLocation and ICallControl. Any thread may call. All customer
/// managers of a process share one ticket store and one remembered login.
///
/// A product is matched without regard to letter case (it is sent and
/// stored upper-cased); an event name is matched exactly.
class ICustomerManager : public vcom::IComponent {
public:
    static constexpr int32 Id = 2004; ///< The interface id.
    /// Gets a ticket for `product` and `eventName`, the first way that applies:
    /// - `useStoredTicket` non-zero: the ticket PutTicket stored for them,
    ///   handed out once (it leaves the store); 1 when none is stored.
    /// - `contextId` neither null nor empty: one request exchanges that
    ///   context id, which the host got elsewhere, for a ticket; `product`
    ///   may then be null or empty.
    /// - otherwise the login loop of IDisplayCallback, with `callback`.
    ///
    /// `eventName` and `callback` are required on every route, `product`
    /// unless a context id is given and the store is not asked (null or
    /// empty: vcom::InvalidArgument, nothing sent). `language` may be null or empty (not sent). `ticket`
    /// must not be null (vcom::InvalidOutPointer); `*ticket` is set to null
    /// first.
    ///
    /// Results: 0, `*ticket` is a new text for TarnClientLib_MemFree (the
    /// only result that delivers one). 1: no stored ticket. A positive
    /// answer of PromptLogin: the host gave up, returned unchanged.
    /// vcom::Failure: the request failed or was refused, the context id was
    /// refused, the service reported an error the login cannot correct, or
    /// the deadline passed; GetLastFailure says which. vcom::Cancelled:
    /// ICallControl::Cancel stopped it. A negative answer of PromptLogin or
    /// ReportError: returned unchanged. Otherwise a code of vcom.
    ///
    /// A new ticket is not put into the store: PutTicket does that. A
    /// successful login becomes the remembered login that later prompts of
    /// this user propose.
    virtual int32 GetTicket(const char* product, const char* eventName, const char* contextId,
                                   const char* language, int32 useStoredTicket, IDisplayCallback* callback,
                                   char** ticket) = 0;
    /// Stores a copy of `ticket` for `product` and `eventName`, replacing
    /// any stored for them, until GetTicket takes it or RemoveTicket removes
    /// it (never beyond the process). 0, or vcom::InvalidArgument when a
    /// text is null or empty.
    virtual int32 PutTicket(const char* product, const char* eventName, const char* ticket) = 0;
    /// Removes the ticket stored for `product` and `eventName`. 0: removed;
    /// 1: none was stored; vcom::InvalidArgument when a text is null or empty.
    virtual int32 RemoveTicket(const char* product, const char* eventName) = 0;
};

/// Why a call failed, as ICallControl::GetLastFailure reports it.
enum CallFailure : int32 {
    CallSucceeded = 0,       ///< The last call did not fail (or there was none).
    CallNotReached = 1,      ///< The server was not reached: no location, name, connection, registry.
    CallNoReply = 2,         ///< No reply, or not all of it: time-out, closed, cut.
    CallUnreadableReply = 3, ///< A reply that is not what the service sends.
    CallRefused = 4,         ///< The server answered no: an HTTP or application status.
    CallCancelled = 5,       ///< ICallControl::Cancel stopped it.
    CallPastDeadline = 6,    ///< The deadline of ICallControl::SetDeadline passed.
    CallBadArgument = 7,     ///< Refused before anything was sent.
};

/// Control over the calls of one address manager or customer manager (ask
/// either for this interface). Any thread may call it at any time, also
/// while other threads are inside a call of that manager. A sketch of a
/// launcher that stops a lookup its worker thread waits on:
/// \code
///   Ref<ICallControl> control = manager.As<ICallControl>();
///   control->SetDeadline(5000);    // each later call: 5 seconds at most
///   // ... worker thread: list = manager->GetServerAddressEnum(...) ...
///   control->Cancel();             // the window closed: the lookup returns null within 100 ms
///   int32 kind = 0;
///   char* cause = control->GetLastFailure(&kind);  // worker, after the null
///   TarnClientLib_MemFree(cause);
/// \endcode
class ICallControl : public vcom::IComponent {
public:
    static constexpr int32 Id = 3001; ///< The interface id.
    /// Stops every call in flight on this manager, or waiting for another
    /// call's exchange: within 100 ms a lookup returns null and GetTicket
    /// returns vcom::Cancelled, kind CallCancelled. Nothing leaks or stays
    /// locked, nothing is stored half, and the next call runs normally. A
    /// login prompt the host is showing is not interrupted: GetTicket ends
    /// as soon as PromptLogin returns. 0: a call was stopped; 1: none was in
    /// flight (nothing happens, and a later call is not affected). Never
    /// waits on the network.
    virtual int32 Cancel() = 0;
    /// The total time each later call of this manager may take, the wait for
    /// another call's exchange and the host's prompts included; 0 (the
    /// start) restores the library's own bounds (at most 150 seconds for an
    /// exchange). A call past it fails like any other, with kind
    /// CallPastDeadline. 0, or vcom::InvalidArgument for a negative value.
    virtual int32 SetDeadline(int32 milliseconds) = 0;
    /// The one-line cause of this manager's last call that failed, the text
    /// of its "failed:" or "refused:" trace line, passwords and tickets
    /// masked: a new text for TarnClientLib_MemFree. Null after a call that
    /// did not fail and before the first call, with kind CallSucceeded.
    /// `*kind` receives a CallFailure; `kind` may be null. Each call of the
    /// manager replaces it, so a host that shares a manager between threads
    /// reads it before its next call.
    virtual char* GetLastFailure(int32* kind) = 0;
};

/// The factory's primary interface, which creates the customer manager.
/// The factory answers ICoreFactory too. Its operations may run on any
/// thread at once.
///
/// Every creating operation takes `id`, the id of the interface wanted
/// (`ICustomerManager::Id`, `IAddressManager::Id`, or any other id the new
/// object answers, 0 for its primary interface), and `err`, which may be
/// null. It returns that interface of a new object with one reference for
/// the caller and stores 0, or returns null and stores the code:
/// vcom::Failure for an id the object does not answer (nothing is left
/// alive), otherwise the code of what failed.
///
/// `serverAddress` is "<IP Address>:<Port>" (for example "10.0.0.5:8600"),
/// or null or empty for the configured location (Windows: the registry
/// value "QAS Address" under `HKEY_LOCAL_MACHINE\Software\Orvane\Tarn\Config`,
/// read in the 32-bit view; Linux: the same value in the library's registry
/// database). The first creation that succeeds fixes the location for the
/// life of the process: every later component uses it, whatever
/// `serverAddress` it is given. A text without ':' gives
/// vcom::InvalidArgument; no location given or configured, vcom::Failure.
class IComponentFactory : public vcom::IComponent {
public:
    static constexpr int32 Id = 1000; ///< The interface id.
    /// A new customer manager on the server at `serverAddress`. Fails with
    /// vcom::Failure also when the registry cannot be used (the trace says why).
    virtual vcom::IComponent* CreateCustomerManager(int32 id, int32* err,
                                                    const char* serverAddress) = 0;
    /// Reserved: stores vcom::NotImplemented, returns null.
    virtual vcom::IComponent* CreateReserved1(int32 a, int32* err, int32 b) = 0;
};

/// The factory's second interface, which creates everything else. The same
/// `id`, `err` and `serverAddress` rules as IComponentFactory apply.
class ICoreFactory : public vcom::IComponent {
public:
    static constexpr int32 Id = 2000; ///< The interface id.
    /// A new address manager on the server at `serverAddress`.
    virtual vcom::IComponent* CreateAddressManager(int32 id, int32* err, const char* serverAddress) = 0;
    /// A new server record (IServerAddress) made from a name, an address
    /// with a ':' and a uc value, as a lookup makes them; a host needs it
    /// only for tests of its own. vcom::InvalidArgument for a null or empty
    /// text or an address without ':'.
    virtual vcom::IComponent* CreateServerAddress(int32 id, const char* name, const char* address,
                                                  int32* err, int32 uc) = 0;
    /// The machine identity (IMachineIdentity), reading or making the
    /// identifier; vcom::Failure when the registry cannot be used.
    virtual vcom::IComponent* CreateMachineIdentity(int32 id, int32* err) = 0;
    /// Reserved: stores vcom::NotImplemented, returns null.
    virtual vcom::IComponent* CreateReserved2(int32 a, int32 b, int32 c, int32* err) = 0;
    /// Reserved: returns null and writes nothing.
    virtual vcom::IComponent* CreateReserved3(int32 a, int32 b) = 0;
    /// The process's server location (IServerLocation), fixed by the first
    /// call that succeeds (see IComponentFactory).
    virtual vcom::IComponent* GetConfiguration(int32 id, int32* err, const char* serverAddress) = 0;
};

/// The service's application codes, which IDisplayCallback::ReportError
/// receives. GetLastFailure of a refused lookup names them too.
enum AppError : int32 {
    UnknownProduct = 2001,      ///< The product name does not match any product.
    UnknownEvent = 2002,        ///< The event name does not match any event of the product.
    InvalidPublicName = 2003,   ///< Not 3 to 30 letters and digits, or empty (correctable).
    InvalidPassword = 2004,     ///< Not 3 to 30 letters and digits (correctable).
    UnknownAccount = 2005,      ///< No account has this public name (correctable).
    WrongPassword = 2006,       ///< The password is wrong (correctable).
    EventNotOpen = 2007,        ///< The event has not started yet or is already over.
    NotPermitted = 2008,        ///< This account may not take part in the event.
    AuthorizationFailed = 2009, ///< An unknown or expired context id.
    ServiceUnavailable = 9001,  ///< The service is unavailable.
};

/// A short English text for an application code, for a host's messages; a
/// static text (do not free). One expression, so that C++11 hosts can use it
/// in constant expressions.
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

/// A base for a host's login display: derive from it and write PromptLogin
/// and ReportError. The object belongs to the host, which keeps it alive
/// while GetTicket runs (an object on the stack will do); the library takes
/// no reference to it and never destroys it, so AddRef and Release count
/// nothing and the destructor entry does nothing.
/// \code
///   struct Prompt : DisplayCallback {
///       int32 PromptLogin(LoginPrompt* prompt) override {
///           std::strcpy(prompt->publicName, "alice");  // a real host asks its user
///           std::strcpy(prompt->password, "wonderland1");
///           prompt->action = 0;
///           return 0;
///       }
///       int32 ReportError(int32 code, int32) override {
///           std::printf("%s\n", AppErrorText(code));
///           return 0;
///       }
///   };
/// \endcode
class DisplayCallback : public IDisplayCallback {
public:
    /// Returns vcom::NotImplemented.
    int32 Reserved(int32, int32, int32, int32, int32) override { return vcom::NotImplemented; }
    /// Counts nothing: returns 1.
    int32 AddRef() override { return 1; }
    /// Counts nothing: returns 1.
    int32 Release() override { return 1; }
    /// This object for 0 and IDisplayCallback::Id, without a count; else null and vcom::Failure.
    vcom::IComponent* QueryInterfaceConst(int32 id, int32* err) const override {
        return const_cast<DisplayCallback*>(this)->QueryInterfaceMutable(id, err);
    }
    /// \copydoc QueryInterfaceConst
    vcom::IComponent* QueryInterfaceMutable(int32 id, int32* err) override {
        const bool known = Supports(id);
        if (err)
            *err = known ? vcom::Success : vcom::Failure;
        return known ? this : nullptr;
    }
    /// 0 and IDisplayCallback::Id.
    bool Supports(int32 id) override { return id == 0 || id == IDisplayCallback::Id; }
    /// Never called: returns vcom::NotImplemented.
    int32 Unused1(int32, int32) override { return vcom::NotImplemented; }
    /// Never called: returns vcom::NotImplemented.
    int32 Unused2(int32, int32) override { return vcom::NotImplemented; }

protected:
    /// Table entry 6: does nothing, the host owns the object.
    void* DeletingDestructor(unsigned int) TARNCLIENT_ENTRY6_OVERRIDE { return this; }
};

/// Holds one reference to an interface and gives it back when it goes out of
/// scope. Move-only; never holds a reference it did not adopt.
/// \code
///   Ref<IComponentFactory> factory(TarnClientLib_GetComponentFactory());
///   int32 err = 0;
///   Ref<ICoreFactory> core = factory.As<ICoreFactory>(&err);  // factory keeps its own reference
///   auto identity = Ref<IMachineIdentity>::Adopt(core->CreateMachineIdentity(IMachineIdentity::Id, &err));
/// \endcode
template <class T>
class Ref {
public:
    /// Empty.
    Ref() : m_p(nullptr) {}
    /// Adopts the reference that came with `p` (from a factory, QueryInterface or a lookup); null is fine.
    explicit Ref(T* p) : m_p(p) {}
    /// Adopts a creation result, which the factories type as `IComponent*`
    /// (the interface asked for by its `Id`, so the cast is right).
    static Ref Adopt(vcom::IComponent* p) { return Ref(static_cast<T*>(p)); }

    /// Takes over `other`'s reference; `other` is empty afterwards.
    Ref(Ref&& other) noexcept : m_p(other.detach()) {}
    /// Releases the held reference and takes over `other`'s.
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other)
            reset(other.detach());
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    /// Releases the held reference.
    ~Ref() { reset(); }

    /// The interface, without a reference of its own.
    T* get() const { return m_p; }
    /// The interface, for a call.
    T* operator->() const { return m_p; }
    /// The interface.
    T& operator*() const { return *m_p; }
    /// True when it holds an interface.
    explicit operator bool() const { return m_p != nullptr; }

    /// Gives the reference to the caller; the holder is empty afterwards.
    T* detach() noexcept {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    /// Releases the held reference and adopts `p`.
    void reset(T* p = nullptr) {
        T* old = m_p;
        m_p = p;
        if (old)
            old->Release();
    }

    /// The same object as interface I, with a reference of its own (this
    /// holder keeps its own); empty, with the code in `*err` (if given),
    /// when the object does not answer I::Id or this holder is empty.
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

/// The exports' calling convention: `__cdecl` on Windows, where it matters
/// on x86 only (a host may make another one its default: /Gz, /Gr, /Gv).
#if defined(_WIN32)
#define TARNCLIENT_CDECL __cdecl
#else
#define TARNCLIENT_CDECL
#endif

extern "C" {
/// The library's component factory (IComponentFactory; ask it for
/// ICoreFactory too) with one reference for the caller, who gives it back
/// with Release(). Never null: the process has one factory, which lives
/// until the library is unloaded; every call returns it with one more
/// reference. Any thread may call it. Export ordinal 1.
tarnclient::IComponentFactory* TARNCLIENT_CDECL TarnClientLib_GetComponentFactory();
/// `size` bytes from the library's heap, or null when there are none; never
/// throws. Export ordinal 2. A host needs it only to hand the library memory
/// it will free, which no operation does.
void* TARNCLIENT_CDECL TarnClientLib_MemAlloc(vcom::uint32 size);
/// Frees a text or block the library handed out (or TarnClientLib_MemAlloc
/// gave); null is fine. The library's heap is not the host's, so this is the
/// only way to free them. Export ordinal 3.
void TARNCLIENT_CDECL TarnClientLib_MemFree(void* p);
/// Routes the trace into the host's log: every trace line, as the
/// environment variable TARN_TRACE would write it (time stamp, thread,
/// text; passwords and tickets masked) but without its line end, goes to
/// `sink(context, line)` on the thread that traced, one line at a time;
/// `line` is valid during that call only. Null turns it off. May be set or
/// changed at any time from any thread; once it returns, the previous sink
/// is not called again. The sink must not call the library. Export
/// ordinal 4.
void TARNCLIENT_CDECL TarnClientLib_SetTraceSink(void(TARNCLIENT_CDECL* sink)(void* context, const char* line),
                                                 void* context);
}

#endif
