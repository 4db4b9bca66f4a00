// Reads the address server's "serverlist" document into the server records
// handed to hosts.
//
// Every child element of the root is one server, whatever its tag, with the
// attributes "name", "address" and "uc"; other attributes, text and deeper
// elements are ignored. Names and addresses are taken as they are, uc as
// atoi reads it.
#ifndef TARN_ADDRESS_SERVERLIST_H
#define TARN_ADDRESS_SERVERLIST_H

#include <cstdint>

#include "address/ServerAddressList.h"
#include "xml/XmlReading.h"

namespace address {

// One reading of a "serverlist" document. The document is parsed when the
// reading is made, so the caller may drop the text before the records are
// made from the parsed tree.
class ServerListReading {
public:
    // Throws -1 (with its "failed:" trace line) when the document does not parse.
    ServerListReading(xmlparser::IParser& parser, const char* xmlText, std::int32_t textLength);

    // The servers, in document order. One faulty server fails the whole
    // list, since a partial list would look complete; every server is looked
    // at first, so the failure reported is the same whatever follows it.
    // Throws, after its "failed:" trace line:
    //   -2 when an element lacks one of the three attributes,
    //   message 6 (tarnClientLib::ResourceString) when one is empty,
    //   -1 when an address has no ':';
    // and -4 when memory runs short.
    ServerRecords Records();

private:
    Utility::XmlReading m_reading;
};

} // namespace address

#endif
