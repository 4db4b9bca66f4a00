#include "ServerTable.h"

#include <algorithm>

#include "LibText.h"

namespace tarn {

ServerTable::ServerTable() : m_rows{{"NAME", "ADDRESS", "HOST", "PORT", "UC"}} {}

void ServerTable::Add(tarnclient::IServerAddress& server) {
    m_rows.push_back({TakeText(server.GetName()), TakeText(server.GetAddress()), TakeText(server.GetHost()),
                      std::to_string(server.GetPort()), std::to_string(server.GetUc())});
}

void ServerTable::Print(std::ostream& out) const {
    std::vector<std::size_t> widths(m_rows.front().size(), 0);
    for (const Row& row : m_rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const Row& row : m_rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        out << line << '\n';
    }
}

} // namespace tarn
