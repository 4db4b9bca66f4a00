// Server records as an aligned table (one header row, one row per server,
// each column as wide as its widest cell) or as a JSON array.
#ifndef TARN_TOOLS_TARN_SERVERTABLE_H
#define TARN_TOOLS_TARN_SERVERTABLE_H

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <tarnclient/TarnClient.h>

namespace tarn {

class ServerTable {
public:
    // Reads name, address, host, port and uc of one server.
    void Add(tarnclient::IServerAddress& server);
    std::size_t Count() const { return m_servers.size(); }
    void Print(std::ostream& out) const;
    // [{"name", "address", "host", "port", "uc"}, ...]
    nlohmann::json Json() const;

private:
    struct Server {
        std::string name;
        std::string address;
        std::string host;
        std::int32_t port;
        std::int32_t uc;
    };
    std::vector<Server> m_servers;
};

} // namespace tarn

#endif
