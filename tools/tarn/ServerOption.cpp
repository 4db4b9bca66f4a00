#include "ServerOption.h"

#include <cctype>

namespace tarn {

namespace {

bool AllDigits(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// Four dotted numbers of at most 255, or letters, digits, dots and dashes
// (a name the resolver looks up); the last label of a name is not all digits.
bool IsHost(const std::string& host) {
    if (host.empty() || host.size() > 253 || host.front() == '.' || host.back() == '.' || host.front() == '-')
        return false;
    for (char c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-')
            return false;
    if (host.find("..") != std::string::npos)
        return false;
    const std::string last = host.substr(host.rfind('.') + 1);
    if (!AllDigits(last))
        return true;
    int parts = 0;
    for (std::string::size_type begin = 0; begin <= host.size(); ++parts) {
        std::string::size_type end = host.find('.', begin);
        if (end == std::string::npos)
            end = host.size();
        const std::string part = host.substr(begin, end - begin);
        if (!AllDigits(part) || part.size() > 3 || std::stoi(part) > 255)
            return false;
        begin = end + 1;
    }
    return parts == 4;
}

} // namespace

std::string ServerAddressProblem(const std::string& text) {
    const std::string::size_type colon = text.rfind(':');
    if (colon == std::string::npos)
        return "\"" + text + "\" is not HOST:PORT";
    const std::string host = text.substr(0, colon);
    const std::string port = text.substr(colon + 1);
    if (!IsHost(host))
        return "\"" + host + "\" is not an IPv4 address or a host name";
    if (!AllDigits(port) || port.size() > 5 || std::stoi(port) < 1 || std::stoi(port) > 65535)
        return "port \"" + port + "\" is not a number from 1 to 65535";
    return std::string();
}

} // namespace tarn
