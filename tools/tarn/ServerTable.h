// Server records as an aligned table: one header row, one row per server,
// each column as wide as its widest cell.
#ifndef TARN_TOOLS_TARN_SERVERTABLE_H
#define TARN_TOOLS_TARN_SERVERTABLE_H

#include <ostream>
#include <string>
#include <vector>

#include <tarnclient/TarnClient.h>

namespace tarn {

class ServerTable {
public:
    ServerTable();

    // Reads name, address, host, port and uc of one server.
    void Add(tarnclient::IServerAddress& server);
    std::size_t Count() const { return m_rows.size() - 1; }
    void Print(std::ostream& out) const;

private:
    using Row = std::vector<std::string>;
    std::vector<Row> m_rows; // the header row first
};

} // namespace tarn

#endif
