// The "serverlist" text of an address reply:
//   <servers><server name="alpha" address="127.0.0.1:7001" uc="12"/>...</servers>
#ifndef TARN_TOOLS_DEVSERVER_SERVERLISTXML_H
#define TARN_TOOLS_DEVSERVER_SERVERLISTXML_H

#include <string>
#include <vector>

#include "ServiceData.h"

namespace devserver {

enum class ListShape {
    Complete,
    Malformed,  // cut off inside a tag: not XML
    Incomplete, // one more entry at the end, without its "uc"
};

std::string ServerListXml(const std::vector<const Server*>& servers, ListShape shape = ListShape::Complete);

// text with &, <, >, " and ' replaced by entities, for an attribute value.
std::string EscapeAttribute(const std::string& text);

} // namespace devserver

#endif
