#include "address/AddressManager.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

// Room the record list starts with; a larger reply sizes it at once.
const std::size_t kInitialServers = 16;
// Room for a server's name and address with their NULs, so that the text
// block of a usual reply is made once rather than grown.
const std::size_t kTypicalServerTexts = 32;

// The servers of a reply between reading and record building, in one text
// block (each name and address NUL-terminated) and one small entry each, so
// that the parsed document can go before the records are made.
class ServerTexts {
public:
    // Every server of reading; message 6 after all were read when one was
    // incomplete, as ParseServerList reports it.
    void Read(ServerListReading& reading) {
        const auto count = static_cast<std::size_t>(reading.Count());
        m_entries.reserve(count);
        m_texts.reserve(count * kTypicalServerTexts);
        std::size_t incomplete = 0; // the first incomplete server, from 1
        ServerView entry;
        for (std::size_t i = 0; i < count; ++i) {
            if (!reading.Next(entry)) {
                if (!incomplete)
                    incomplete = i + 1;
                continue;
            }
            if (incomplete)
                continue;
            const auto name = static_cast<std::uint32_t>(m_texts.size());
            m_entries.push_back({name, name + static_cast<std::uint32_t>(entry.name.size()) + 1, entry.uc});
            m_texts.append(entry.name).append(1, '\0');
            m_texts.append(entry.address).append(1, '\0');
        }
        if (incomplete)
            FailIncompleteServer(incomplete);
    }

    std::size_t Count() const { return m_entries.size(); }
    const char* Name(std::size_t i) const { return m_texts.c_str() + m_entries[i].name; }
    const char* Address(std::size_t i) const { return m_texts.c_str() + m_entries[i].address; }
    std::int32_t Uc(std::size_t i) const { return m_entries[i].uc; }

private:
    struct Entry {
        std::uint32_t name; // offsets into m_texts, which stays below 2 GB as the reply does
        std::uint32_t address;
        std::int32_t uc;
    };
    std::string m_texts;
    std::vector<Entry> m_entries;
};

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

AddressManager::AddressManager(IServerLocation& location)
    : m_messages(Dead::GetMessageFactory()), m_xmlParser(Utility::NewXmlParser()) {
    if (!m_messages)
        vcom::Fail(vcom::OutOfMemory);
    vcom::ScopedLock guard(m_lock);
    m_location.address = CopyLocationText(location.GetAddress());
    m_location.host = CopyLocationText(location.GetHost());
    m_location.port = location.GetPort();
}

IServerAddress* AddressManager::GetServerAddress(const char* product, const char* category, const char* name,
                                                 const char* att1) {
    tarnClientLib::Trace("Enter Function: AddressManager::GetServerAddress\n");
    return vcom::CatchNull([&]() -> IServerAddress* {
        const char* server = name ? name : kAnyServer;
        if (std::strcmp(server, kAllServers) == 0)
            return nullptr;
        tarnclient::IAddressManager& self = *this;
        vcom::ref<IServerAddressList> list(self.GetServerAddressEnum(product, category, server, att1));
        if (!list)
            return nullptr;
        std::int32_t pos = list->Begin();
        return list->Next(&pos);
    });
}

IServerAddressList* AddressManager::GetServerAddressEnum(const char* product, const char* category,
                                                         const char* name, const char* att1) {
    tarnClientLib::Trace("Enter Function: AddressManager::GetServerAddressEnum\n");
    return vcom::CatchNull([&]() -> IServerAddressList* {
        ServerTexts servers;
        {
            vcom::LibMemHolder xmlText;
            if (GetDataFromQAS(TextOrEmpty(product), TextOrEmpty(category), TextOrEmpty(name), TextOrEmpty(att1),
                               xmlText) < 0)
                return nullptr;
            ServerListReading reading(*m_xmlParser, xmlText.text(),
                                      static_cast<std::int32_t>(std::strlen(xmlText.text())));
            // Parsed: the text can go before the servers are read.
            xmlText.reset();
            servers.Read(reading);
        }

        // One bad entry fails the whole query: a partial list would look complete.
        std::int32_t err = vcom::Success;
        ServerRecords records;
        records.reserve(std::max(kInitialServers, servers.Count()));
        for (std::size_t i = 0; i < servers.Count(); ++i) {
            vcom::ref<IServerAddress> record(static_cast<IServerAddress*>(vcom::CatchPointer(&err, [&] {
                return CreateServerAddress(IServerAddress::Id, servers.Name(i), servers.Address(i), &err,
                                           servers.Uc(i));
            })));
            if (!record) {
                tarnClientLib::TraceFailed("unreadable server list: server \"%s\" has an unusable address \"%s\"",
                                           servers.Name(i), servers.Address(i));
                return nullptr;
            }
            records.push_back(std::move(record));
        }
        return static_cast<IServerAddressList*>(
            vcom::Create<ServerAddressList>(IServerAddressList::Id, &err, std::move(records)));
    });
}

std::int32_t AddressManager::GetDataFromQAS(const std::string& product, const std::string& category,
                                            const std::string& server, const std::string& att1,
                                            vcom::LibMemHolder& xmlText) {
    tarnClientLib::Trace("Enter Function: AddressManager::GetDataFromQAS\n");
    xmlText.reset();
    try {
        ValidateAddressQuery(product, category, server);
    } catch (const tarnClientLib::ResourceString& message) {
        tarnClientLib::TraceFailed("%s", message.GetText() ? message.GetText() : "invalid query");
        return vcom::InvalidArgument;
    }

    try {
        std::int32_t err = vcom::Success;
        vcom::ref<Dead::IMessage> record(static_cast<Dead::IMessage*>(m_messages->CreateAddressRequest(
            Dead::IMessage::Id, &err, product.c_str(), category.c_str(), server.c_str(), att1.c_str())));
        if (!record)
            return err;

        std::int32_t result = 0;
        {
            vcom::ScopedLock guard(m_lock);
            // The helper releases the request; what comes back is the reply (or null).
            result = Utility::MakeHttpRequest(m_location.host, static_cast<std::uint32_t>(m_location.port), kAgent,
                                              kPath, kMethod, record);
        }
        if (result >= kHttpFailureFrom)
            return vcom::Failure;

        vcom::ref<Dead::IReplyStatus> status = vcom::Query<Dead::IReplyStatus>(record.get(), &err);
        if (!status)
            return err;
        vcom::ref<Dead::IAddressReplyFields> fields = vcom::Query<Dead::IAddressReplyFields>(record.get(), &err);
        if (!fields)
            return err;
        if (const std::uint16_t code = status->GetStatus()) {
            const vcom::LibMemHolder text(fields->GetStatusText());
            tarnClientLib::TraceRefused("server status %u: %s", unsigned{code}, text ? text.text() : "");
            return vcom::Failure;
        }
        xmlText.reset(fields->GetServerList());
        return xmlText ? vcom::Success : vcom::OutOfMemory;
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
