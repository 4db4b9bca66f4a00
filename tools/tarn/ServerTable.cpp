#include "ServerTable.h"

#include <algorithm>

#include "LibText.h"
#include "ShownText.h"

namespace tarn {

void ServerTable::Add(tarnclient::IServerAddress& server) {
    m_servers.push_back({TakeText(server.GetName()), TakeText(server.GetAddress()), TakeText(server.GetHost()),
                         server.GetPort(), server.GetUc()});
}

void ServerTable::Print(std::ostream& out) const {
    using Row = std::vector<std::string>;
    std::vector<Row> rows{{"NAME", "ADDRESS", "HOST", "PORT", "UC"}};
    for (const Server& server : m_servers)
        rows.push_back({Shown(server.name), Shown(server.address), Shown(server.host), std::to_string(server.port),
                        std::to_string(server.uc)});
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const Row& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        out << line << '\n';
    }
}

nlohmann::json ServerTable::Json() const {
    nlohmann::json servers = nlohmann::json::array();
    for (const Server& server : m_servers)
        servers.push_back({{"name", server.name},
                           {"address", server.address},
                           {"host", server.host},
                           {"port", server.port},
                           {"uc", server.uc}});
    return servers;
}

} // namespace tarn
