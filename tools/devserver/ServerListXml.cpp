#include "ServerListXml.h"

namespace devserver {

std::string EscapeAttribute(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string ServerListXml(const std::vector<const Server*>& servers, ListShape shape) {
    std::string xml = "<servers>";
    for (const Server* server : servers)
        xml += "<server name=\"" + EscapeAttribute(server->name) + "\" address=\"" +
               EscapeAttribute(server->address) + "\" uc=\"" + std::to_string(server->uc) + "\"/>";
    switch (shape) {
    case ListShape::Complete: break;
    case ListShape::Malformed: return xml + "<server name=\"broken";
    case ListShape::Incomplete: xml += "<server name=\"incomplete\" address=\"127.0.0.1:1\"/>"; break;
    }
    return xml + "</servers>";
}

} // namespace devserver
