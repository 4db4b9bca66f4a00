// Reads the address server's "serverlist" document into server entries.
//
// Every child element of the root is one server, whatever its tag, with the
// attributes "name", "address" and "uc"; other attributes, text and deeper
// elements are ignored.
#ifndef TARN_ADDRESS_SERVERLIST_H
#define TARN_ADDRESS_SERVERLIST_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xml/XmlReading.h"

namespace address {

struct ServerEntry {
    std::string name;    // unchanged, surrounding blanks included
    std::string address; // unchanged; its form is checked when the record is built
    std::int32_t uc = 0; // read as atoi reads it
};

using ServerEntries = std::vector<ServerEntry>;

// A server as a reading lends it: the texts stay valid while the reading lives.
struct ServerView {
    std::string_view name;
    std::string_view address;
    std::int32_t uc = 0;
};

// Replaces entries with the servers of xmlText, in document order.
// Throws the XML reader's code (-1 unreadable, -2 an element lacks a wanted
// attribute), or message 6 as a tarnClientLib::ResourceString when an element
// has an empty wanted attribute or repeats one in place of another; entries
// is empty after any failure.
void ParseServerList(const std::string& xmlText, std::int32_t textLength, ServerEntries& entries);

// ParseServerList one server at a time, for a caller that keeps no list of
// entries: the text may be dropped once this is constructed. The reader's
// codes are thrown as they come; an incomplete server is only reported by
// Next, so that the caller raises message 6 (FailIncompleteServer) after
// reading every server, as ParseServerList does.
class ServerListReading {
public:
    ServerListReading(xmlparser::IParser& parser, const char* xmlText, std::int32_t textLength);

    std::int32_t Count() const { return m_reading.Count(); }
    // The next server into server; false (server unspecified) when one of
    // its values is empty. Call at most Count() times.
    bool Next(ServerView& server);

private:
    Utility::XmlReading m_reading;
};

// Message 6, for the first incomplete server (counting from 1).
[[noreturn]] void FailIncompleteServer(std::size_t server);

} // namespace address

#endif
