#include "customer/CustomerManager.h"

#include <utility>

#include "customer/Customer.h"
#include "customer/MachineIdentity.h"
#include "customer/PromptText.h"
#include "customer/SharedState.h"
#include "customer/TicketReply.h"
#include "customer/TicketReplyRules.h"
#include "customer/TicketRequest.h"
#include "messages/InputException.h"
#include "messages/Trace.h"
#include "vcom/Boundary.h"
#include "vcom/MemHolder.h"
#include "vcom/Ref.h"

namespace customer {

using tarnclient::IDisplayCallback;
using tarnclient::LoginPrompt;

namespace {

static_assert(sizeof(LoginPrompt::publicName) == kPromptFieldSize && sizeof(LoginPrompt::password) == kPromptFieldSize &&
                  sizeof(LoginPrompt::contextId) == kPromptFieldSize,
              "the prompt's text fields");

// What the host may answer in a LoginPrompt.
const std::int32_t kActionLogin = 0;
const std::int32_t kActionUseContextId = 1;

// Reported to the host when a login is tried without a public name.
const std::uint16_t kInvalidPublicName = 2003;

// A text another component of the library handed out; null fails.
std::string TakeText(char* text) {
    const vcom::LibMemHolder holder(text);
    if (!holder)
        vcom::Fail(vcom::Failure);
    return holder.text();
}

// The host's answer to an application error; a negative one ends the request.
void ReportToHost(IDisplayCallback* callback, std::uint16_t status) {
    const std::int32_t answer = callback->ReportError(static_cast<std::int32_t>(status), 0);
    if (answer < 0)
        vcom::Fail(answer);
}

// The outcome of an operation as its call keeps it: 0 and the warning 1 are
// no failure; a positive answer of the host's prompt (it gave up) keeps
// whatever the passes before it met.
void Settle(http::Call& call, std::int32_t result) {
    if (result == vcom::Success || result == 1)
        call.Succeeded();
    else if (result < 0)
        call.FailedWith(result);
}

// A call stopped or past its deadline while the host showed its prompt.
std::int32_t EndedAtPrompt(platform::WaitEnd end) {
    if (end == platform::WaitEnd::Stopped) {
        tarnClientLib::TraceFailed(tarnclient::CallCancelled, "cancelled while the login prompt was shown");
        return vcom::Cancelled;
    }
    tarnClientLib::TraceFailed(tarnclient::CallPastDeadline, "past the deadline when the login prompt was answered");
    return vcom::Failure;
}

std::int32_t DeliverTicket(const std::string& key, char** ticket) {
    char* copy = vcom::CopyOut(key);
    if (!copy)
        return vcom::OutOfMemory;
    *ticket = copy;
    return vcom::Success;
}

} // namespace

CustomerManager::CustomerManager(tarnclient::IServerLocation* location) {
    {
        vcom::ScopedLock guard(m_lock);
        m_address = TakeText(location->GetAddress());
        m_host = TakeText(location->GetHost());
        m_port = location->GetPort();
    }
    std::string machineId = ReadOrCreateMachineId();
    {
        vcom::ScopedLock guard(m_lock);
        m_machineId.swap(machineId);
    }
    SharedState::Access shared = SharedState::Lock();
    // Once a login succeeded, the process's own values are the newest.
    if (!shared.Login().IsRemembered())
        shared.Login().Load();
    if (!shared.Servlets().IsLoaded())
        shared.Servlets().Load();
}

CustomerManager::~CustomerManager() {
    try {
        SharedState::Access shared = SharedState::Lock();
        if (shared.Login().IsRemembered())
            shared.Login().Save();
    } catch (...) {
        // Saving is a courtesy; a destructor has no one to report to.
    }
}

std::int32_t CustomerManager::Reserved4(std::int32_t, std::int32_t, std::int32_t) { return vcom::NotImplemented; }

std::int32_t CustomerManager::Reserved5(std::int32_t, std::int32_t, std::int32_t) { return vcom::NotImplemented; }

std::int32_t CustomerManager::GetTicket(const char* product, const char* eventName, const char* contextId,
                                        const char* language, std::int32_t useStoredTicket,
                                        IDisplayCallback* callback, char** ticket) {
    http::Call call(m_control);
    std::int32_t result = vcom::CatchStatus([&]() -> std::int32_t {
        const GetTicketArgs args(product, eventName, contextId, language, useStoredTicket != 0, callback);
        if (!ticket)
            return vcom::InvalidOutPointer;
        *ticket = nullptr;
        if (args.UseStoredTicket())
            return TakeStoredTicket(args, ticket);
        if (args.HasContextId())
            return ContextRoute(args, ticket, call);
        return LoginRoute(args, ticket, call);
    });
    if (result < 0 && call.Failure() == tarnclient::CallCancelled)
        result = vcom::Cancelled;
    Settle(call, result);
    return result;
}

std::int32_t CustomerManager::PutTicket(const char* product, const char* eventName, const char* ticket) {
    http::Call call(m_control);
    const std::int32_t result = vcom::CatchStatus([&]() -> std::int32_t {
        const TicketArgs args(product, eventName, nullptr);
        if (!IsPresent(ticket)) {
            tarnClientLib::TraceFailed(tarnclient::CallBadArgument, "no ticket given to store");
            return vcom::InvalidArgument;
        }
        SharedState::Lock().Tickets().Put(args.Product(), args.EventName(), ticket);
        return vcom::Success;
    });
    Settle(call, result);
    return result;
}

std::int32_t CustomerManager::RemoveTicket(const char* product, const char* eventName) {
    http::Call call(m_control);
    const std::int32_t result = vcom::CatchStatus([&]() -> std::int32_t {
        const TicketArgs args(product, eventName, nullptr);
        // 1: nothing was stored under the key.
        return SharedState::Lock().Tickets().Remove(args.Product(), args.EventName()) ? vcom::Success : 1;
    });
    Settle(call, result);
    return result;
}

char* CustomerManager::GetAddress() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_address);
}

char* CustomerManager::GetHost() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_host);
}

std::int32_t CustomerManager::GetPort() {
    vcom::ScopedLock guard(m_lock);
    return m_port;
}

std::int32_t CustomerManager::TakeStoredTicket(const GetTicketArgs& args, char** ticket) {
    // A context id alone names no key.
    if (!args.HasProduct())
        return vcom::InvalidArgument;
    SharedState::Access shared = SharedState::Lock();
    const std::string* stored = shared.Tickets().Find(args.Product(), args.EventName());
    if (!stored)
        return 1; // a warning: nothing to deliver
    const std::int32_t delivered = DeliverTicket(*stored, ticket);
    // A stored ticket is handed out once; one that could not be copied stays.
    if (delivered == vcom::Success)
        shared.Tickets().Remove(args.Product(), args.EventName());
    return delivered;
}

std::int32_t CustomerManager::ContextRoute(const GetTicketArgs& args, char** ticket, const http::Call& call) {
    tarnClientLib::SecretText key;
    if (!ExchangeForTicket(args, key, call))
        return vcom::Failure;
    return DeliverTicket(key.Reveal(), ticket);
}

std::int32_t CustomerManager::LoginRoute(const GetTicketArgs& args, char** ticket, http::Call& call) {
    LoginPrompt prompt{};
    {
        SharedState::Access shared = SharedState::Lock();
        SetPromptText(prompt.publicName, shared.Login().PublicName());
        SetPromptText(prompt.password, shared.Login().Password());
    }
    for (bool firstPass = true;; firstPass = false) {
        if (!firstPass) {
            // Propose what was entered last; an emptied field stays as the host left it.
            vcom::ScopedLock guard(m_lock);
            if (!m_publicName.empty())
                SetPromptText(prompt.publicName, m_publicName);
            if (!m_password.empty())
                SetPromptText(prompt.password, m_password.Reveal());
        }
        const std::int32_t answer = args.Callback()->PromptLogin(&prompt);
        if (answer != 0)
            return answer; // negative: a failure; positive: the host gave up
        // Stopped, or out of time, while the host had the prompt.
        if (const platform::WaitEnd checked = platform::CheckLimits(call.Limits());
            checked != platform::WaitEnd::Ready)
            return EndedAtPrompt(checked);
        if (prompt.action == kActionUseContextId) {
            const std::string contextId = PromptText(prompt.contextId);
            if (contextId.empty()) {
                // Without a context id the exchange would log in with the name
                // and password of an earlier prompt, which the host did not
                // give in this one: refused as a login without a name is.
                tarnClientLib::TraceFailed(tarnclient::CallBadArgument,
                                           "the login prompt chose its context id but gave none: nothing is sent");
                ReportToHost(args.Callback(), kInvalidPublicName);
                return vcom::Failure;
            }
            return ContextRoute(args.WithContextId(contextId.c_str()), ticket, call);
        }
        {
            vcom::ScopedLock guard(m_lock);
            m_publicName = PromptText(prompt.publicName);
            m_password = PromptText(prompt.password);
        }
        if (prompt.action != kActionLogin)
            continue;
        tarnClientLib::SecretText key;
        if (!ExchangeForTicket(args, key, call))
            continue;
        const std::int32_t delivered = DeliverTicket(key.Reveal(), ticket);
        if (delivered != vcom::Success)
            return delivered;
        std::string publicName;
        tarnClientLib::SecretText password;
        {
            vcom::ScopedLock guard(m_lock);
            publicName = m_publicName;
            password = m_password;
        }
        SharedState::Lock().Login().Remember(publicName, password.Reveal());
        return vcom::Success;
    }
}

bool CustomerManager::ExchangeForTicket(const GetTicketArgs& args, tarnClientLib::SecretText& key,
                                        const http::Call& call) {
    try {
        TicketRequestLogin login;
        TicketRequestSender sender;
        {
            vcom::ScopedLock guard(m_lock);
            login.publicName = m_publicName;
            login.password = m_password;
            login.machineId = m_machineId;
            sender.host = m_host;
            sender.port = m_port;
        }
        // A login (no context id) needs a public name; a context id stands on its own.
        if (!args.HasContextId())
            CheckPublicName(login.publicName);
        sender.path = "/" + SharedState::Lock().Servlets().Find(ServletNames::kGetTicket);
        vcom::ref<Dead::IMessage> request = NewTicketRequest(args, login);
        vcom::ref<Dead::IMessage> reply;
        {
            vcom::ScopedLock guard(m_lock);
            reply = SendTicketRequest(sender, std::move(request), call.Limits());
        }
        const TicketReplyContent content = ReadTicketReply(*reply);
        reply.reset();
        if (content.status != 0) {
            ReportToHost(args.Callback(), content.status);
            if (IsCorrectableError(content.status))
                return false;
            vcom::Fail(vcom::Failure);
        }
        key = content.key;
        return true;
    } catch (const tarnClientLib::InputException& missing) {
        tarnClientLib::Trace("%s: %s\n", missing.GetTitle() ? missing.GetTitle() : "",
                             missing.GetMessage() ? missing.GetMessage() : "");
        ReportToHost(args.Callback(), kInvalidPublicName);
        return false;
    }
}

vcom::IComponent* CreateCustomerManager(std::int32_t id, std::int32_t* err, tarnclient::IServerLocation* location) {
    return vcom::Create<CustomerManager>(id, err, location);
}

} // namespace customer
