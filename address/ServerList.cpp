#include "address/ServerList.h"

#include <cstdlib>
#include <utility>

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

} // namespace

void FailIncompleteServer(std::size_t server) {
    tarnClientLib::TraceFailed(tarnclient::CallUnreadableReply, "unreadable server list: a <server> lacks name, address or uc (server %zu)", server);
    throw tarnClientLib::ResourceString(tarnClientLib::kModuleName, kIncompleteServerMessage);
}

ServerListReading::ServerListReading(xmlparser::IParser& parser, const char* xmlText, std::int32_t textLength)
    : m_reading(parser, xmlText, textLength, true) {}

bool ServerListReading::Next(ServerView& server) {
    const char* const names[] = {kName, kAddress, kUc};
    constexpr std::size_t wanted = sizeof names / sizeof names[0];
    const char* values[wanted] = {};
    const std::size_t found = m_reading.NextValues(names, values, wanted);
    if (found != wanted) {
        m_reading.TraceIncomplete(found, wanted);
        vcom::Fail(vcom::BadData);
    }
    const char* const uc = values[2];
    if (!*values[0] || !*values[1] || !*uc)
        return false;
    server.name = values[0];
    server.address = values[1];
    server.uc = static_cast<std::int32_t>(std::atoi(uc));
    return true;
}

void ParseServerList(const std::string& xmlText, std::int32_t textLength, ServerEntries& entries) {
    entries.clear();
    ServerListReading reading(*Utility::NewXmlParser(), xmlText.c_str(), textLength);
    ServerEntries read;
    read.reserve(static_cast<std::size_t>(reading.Count()));
    std::size_t incomplete = 0; // the first incomplete server, from 1
    ServerView server;
    for (std::int32_t i = 0; i < reading.Count(); ++i) {
        if (!reading.Next(server)) {
            if (!incomplete)
                incomplete = static_cast<std::size_t>(i) + 1;
        } else if (!incomplete) {
            read.push_back({std::string(server.name), std::string(server.address), server.uc});
        }
    }
    if (incomplete)
        FailIncompleteServer(incomplete);
    entries = std::move(read);
}

} // namespace address
