#include "address/ServerList.h"

#include <cstdlib>
#include <utility>

#include "messages/Module.h"
#include "messages/ResourceString.h"
#include "messages/Trace.h"

namespace address {

namespace {

const char kName[] = "name";
const char kAddress[] = "address";
const char kUc[] = "uc";

// "missing name and/or address and/or uc attributes in <server> tag"
const unsigned kIncompleteServerMessage = 6;

} // namespace

void ParseServerList(const std::string& xmlText, std::int32_t textLength, ServerEntries& entries) {
    entries.clear();
    const std::vector<std::string> wanted{kName, kAddress, kUc};
    std::vector<Utility::XmlPairs> elements;
    if (Utility::ParseXmlResponse(xmlText, textLength, wanted, elements, true) == 0)
        return;
    ReadServerEntries(elements, entries);
}

void ReadServerEntries(const std::vector<Utility::XmlPairs>& elements, ServerEntries& entries) {
    entries.clear();
    ServerEntries read;
    read.reserve(elements.size());
    for (const Utility::XmlPairs& pairs : elements) {
        ServerEntry entry;
        std::string uc;
        for (const auto& pair : pairs) {
            if (pair.first == kName)
                entry.name = pair.second;
            else if (pair.first == kAddress)
                entry.address = pair.second;
            else if (pair.first == kUc)
                uc = pair.second;
        }
        // The reader counts pairs only, so a repeated attribute standing in
        // for a missing one shows up here as an empty value.
        if (entry.name.empty() || entry.address.empty() || uc.empty()) {
            tarnClientLib::TraceFailed("unreadable server list: a <server> lacks name, address or uc (server %zu)",
                                       read.size() + 1);
            throw tarnClientLib::ResourceString(tarnClientLib::kModuleName, kIncompleteServerMessage);
        }
        entry.uc = static_cast<std::int32_t>(std::atoi(uc.c_str()));
        read.push_back(std::move(entry));
    }
    entries = std::move(read);
}

} // namespace address
