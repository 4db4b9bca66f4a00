#include "ListenAddress.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace devserver {

ListenAddress ParseListenAddress(const std::string& text) {
    const std::size_t colon = text.rfind(':');
    const std::string port = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    const bool digits = !port.empty() && port.size() <= 5 &&
                        std::all_of(port.begin(), port.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    if (colon == 0 || !digits || std::stoi(port) > 65535)
        throw std::invalid_argument("\"" + text + "\" is not ADDR:PORT with a port from 0 to 65535");
    return ListenAddress{text.substr(0, colon), std::stoi(port)};
}

} // namespace devserver
