#include "address/ServerList.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "address/ServerAddress.h"
#include "messages/Module.h"
#include "messages/ResourceString.h"
#include "messages/Trace.h"
#include "vcom/Codes.h"

namespace address {

namespace {

const char kName[] = "name";
const char kAddress[] = "address";
const char kUc[] = "uc";

// "missing name and/or address and/or uc attributes in <server> tag"
const unsigned kIncompleteServerMessage = 6;

// Room the record list starts with; a larger document sizes it at once.
const std::size_t kInitialServers = 16;

} // namespace

ServerListReading::ServerListReading(xmlparser::IParser& parser, const char* xmlText, std::int32_t textLength)
    : m_reading(parser, xmlText, textLength) {}

ServerRecords ServerListReading::Records() {
    ServerRecords records;
    records.reserve(std::max(kInitialServers, static_cast<std::size_t>(m_reading.Count())));
    const char* const names[] = {kName, kAddress, kUc};
    constexpr std::size_t wanted = sizeof names / sizeof names[0];
    std::int32_t incomplete = 0; // the first server with an empty value, from 1
    struct {
        std::string name, address;
    } unusable; // the first server whose address has no ':'
    for (std::int32_t server = 1; server <= m_reading.Count(); ++server) {
        const char* values[wanted] = {};
        const std::size_t found = m_reading.NextValues(names, values, wanted);
        if (found != wanted) {
            m_reading.TraceIncomplete(found, wanted);
            vcom::Fail(vcom::BadData);
        }
        if (!*values[0] || !*values[1] || !*values[2]) {
            incomplete = incomplete ? incomplete : server;
            continue;
        }
        if (incomplete || !unusable.address.empty())
            continue;
        // The record copies the texts out of the tree: the one copy between
        // the reply and the record.
        vcom::ref<tarnclient::IServerAddress> record = ServerAddress::Make(values[0], values[1], std::atoi(values[2]));
        if (record)
            records.push_back(std::move(record));
        else
            unusable = {values[0], values[1]};
    }
    if (incomplete) {
        tarnClientLib::TraceFailed(tarnclient::CallUnreadableReply,
                                   "unreadable server list: a <server> lacks name, address or uc (server %d)",
                                   incomplete);
        throw tarnClientLib::ResourceString(tarnClientLib::kModuleName, kIncompleteServerMessage);
    }
    if (!unusable.address.empty()) {
        tarnClientLib::TraceFailed(tarnclient::CallUnreadableReply,
                                   "unreadable server list: server \"%s\" has an unusable address \"%s\"",
                                   tarnClientLib::Printable(unusable.name).c_str(),
                                   tarnClientLib::Printable(unusable.address).c_str());
        vcom::Fail(vcom::Failure);
    }
    return records;
}

} // namespace address
