#include "address/AddressManager.h"

#include <cstring>
#include <string>

#include "address/Address.h"
#include "address/ServerAddressList.h"
#include "address/ServerList.h"
#include "dead/Message.h"
#include "dead/Records.h"
#include "http/MakeHttpRequest.h"
#include "messages/Module.h"
#include "messages/ResourceString.h"
#include "messages/Trace.h"
#include "vcom/Boundary.h"
#include "vcom/MemHolder.h"
#include "vcom/Ref.h"

namespace address {

using tarnclient::IServerAddress;
using tarnclient::IServerAddressList;
using tarnclient::IServerLocation;

namespace {

// The address query on the wire.
const char kAgent[] = "QAS Client/1.0";
const char kPath[] = "/addrsrv";
const char kMethod[] = "POST";
// The request helper answers 200 on success and 999 on any failure.
const std::int32_t kHttpFailureFrom = 300;

// GetServerAddress defaults a missing name to every server and refuses the
// name that would ask for all of them at once.
const char kAnyServer[] = "any";
const char kAllServers[] = "all";

// Message 53 names the argument that is missing.
const unsigned kMissingArgumentMessage = 53;
const char kProductLabel[] = "Product Name";
const char kCategoryLabel[] = "Service Category";
const char kServerLabel[] = "Server Name";

std::string TextOrEmpty(const char* text) { return text ? text : ""; }

void RequirePresent(const std::string& value, const char* label) {
    if (value.empty())
        throw tarnClientLib::ResourceString(tarnClientLib::kModuleName, kMissingArgumentMessage, label);
}

// Product, category and server name must all be given, checked in that order.
void ValidateAddressQuery(const std::string& product, const std::string& category, const std::string& server) {
    RequirePresent(product, kProductLabel);
    RequirePresent(category, kCategoryLabel);
    RequirePresent(server, kServerLabel);
}

// A copy of a text another component handed out; Failure when there is none.
std::string CopyLocationText(char* text) {
    vcom::LibMemHolder holder(text);
    if (!holder)
        vcom::Fail(vcom::Failure);
    return holder.text();
}

} // namespace

AddressManager::AddressManager(IServerLocation& location) : m_xmlParser(Utility::NewXmlParser()) {
    vcom::ScopedLock guard(m_lock);
    m_location.address = CopyLocationText(location.GetAddress());
    m_location.host = CopyLocationText(location.GetHost());
    m_location.port = location.GetPort();
}

IServerAddress* AddressManager::GetServerAddress(const char* product, const char* category, const char* name,
                                                 const char* att1) {
    tarnClientLib::Trace("Enter Function: AddressManager::GetServerAddress\n");
    http::Call call(m_control);
    const char* server = name ? name : kAnyServer;
    if (std::strcmp(server, kAllServers) == 0) {
        tarnClientLib::TraceFailed(tarnclient::CallBadArgument,
                                   "GetServerAddress does not take the server name \"%s\"", kAllServers);
        call.FailedWith(vcom::InvalidArgument);
        return nullptr;
    }
    vcom::ref<IServerAddressList> list(Lookup(product, category, server, att1, call));
    if (!list) {
        call.FailedWith(vcom::Failure);
        return nullptr;
    }
    // No server matched: no failure, and nothing to hand out.
    call.Succeeded();
    return vcom::CatchNull([&] {
        std::int32_t pos = list->Begin();
        return list->Next(&pos);
    });
}

IServerAddressList* AddressManager::GetServerAddressEnum(const char* product, const char* category,
                                                         const char* name, const char* att1) {
    tarnClientLib::Trace("Enter Function: AddressManager::GetServerAddressEnum\n");
    http::Call call(m_control);
    IServerAddressList* list = Lookup(product, category, name, att1, call);
    if (list)
        call.Succeeded();
    else
        call.FailedWith(vcom::Failure);
    return list;
}

IServerAddressList* AddressManager::Lookup(const char* product, const char* category, const char* name,
                                           const char* att1, const http::Call& call) {
    return vcom::CatchNull([&]() -> IServerAddressList* {
        vcom::ref<Dead::IAddressReplyFields> reply;
        if (GetDataFromQAS(TextOrEmpty(product), TextOrEmpty(category), TextOrEmpty(name), TextOrEmpty(att1), reply,
                           call) < 0)
            return nullptr;
        const std::string* xmlText = Dead::LendServerList(*reply);
        if (!xmlText) {
            tarnClientLib::TraceFailed(tarnclient::CallUnreadableReply,
                                       "unreadable reply: the address reply has no \"serverlist\"");
            return nullptr;
        }
        ServerListReading reading(*m_xmlParser, xmlText->c_str(), static_cast<std::int32_t>(xmlText->size()));
        // Parsed: the reply and its text can go before the records are made.
        reply.reset();
        std::int32_t err = vcom::Success;
        return static_cast<IServerAddressList*>(
            vcom::Create<ServerAddressList>(IServerAddressList::Id, &err, reading.Records()));
    });
}

std::int32_t AddressManager::GetDataFromQAS(const std::string& product, const std::string& category,
                                            const std::string& server, const std::string& att1,
                                            vcom::ref<Dead::IAddressReplyFields>& reply, const http::Call& call) {
    tarnClientLib::Trace("Enter Function: AddressManager::GetDataFromQAS\n");
    reply.reset();
    try {
        ValidateAddressQuery(product, category, server);
    } catch (const tarnClientLib::ResourceString& message) {
        tarnClientLib::TraceFailed(tarnclient::CallBadArgument, "%s", message.GetText() ? message.GetText() : "invalid query");
        return vcom::InvalidArgument;
    }

    try {
        std::int32_t err = vcom::Success;
        vcom::ref<Dead::IMessage> record(static_cast<Dead::IMessage*>(Dead::GetMessageFactory()->CreateAddressRequest(
            Dead::IMessage::Id, &err, product.c_str(), category.c_str(), server.c_str(), att1.c_str())));
        if (!record)
            return err;

        std::int32_t result = 0;
        {
            vcom::ScopedLock guard(m_lock);
            // The helper releases the request; what comes back is the reply (or null).
            result = Utility::MakeHttpRequest(m_location.host, static_cast<std::uint32_t>(m_location.port), kAgent,
                                              kPath, kMethod, record, call.Limits());
        }
        if (result >= kHttpFailureFrom || !record)
            return vcom::Failure;
        // The status first, whatever kind of record came back; the list's own
        // interface only once the status says there is a list.
        if (Dead::ReadReplyStatus(*record) != 0)
            return vcom::Failure;
        reply = vcom::Query<Dead::IAddressReplyFields>(record.get(), &err);
        return reply ? vcom::Success : err;
    } catch (const vcom::Code& code) {
        return static_cast<std::int32_t>(code);
    }
}

char* AddressManager::GetAddress() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_location.address);
}

char* AddressManager::GetHost() {
    vcom::ScopedLock guard(m_lock);
    return vcom::CopyOut(m_location.host);
}

std::int32_t AddressManager::GetPort() {
    vcom::ScopedLock guard(m_lock);
    return m_location.port;
}

vcom::IComponent* CreateAddressManager(std::int32_t id, std::int32_t* err, IServerLocation* location) {
    if (!location)
        vcom::Fail(vcom::Failure);
    return vcom::Create<AddressManager>(id, err, *location);
}

} // namespace address
