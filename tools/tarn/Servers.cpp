#include <cstdint>

#include "Commands.h"
#include "ServerTable.h"
#include "ToolError.h"

namespace tarn {

using tarnclient::IServerAddress;
using tarnclient::IServerAddressList;

namespace {

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

std::string Describe(const ServerQuery& query) {
    std::string text = "product " + query.product + ", category " + query.category + ", name " + query.name;
    if (!query.att1.empty())
        text += ", att1 " + query.att1;
    return text;
}

} // namespace

int ListServers(Library& library, const ServerQuery& query, std::ostream& out) {
    Ref<tarnclient::IAddressManager> manager = library.AddressManager();
    Ref<IServerAddressList> list(manager->GetServerAddressEnum(query.product.c_str(), query.category.c_str(),
                                                               query.name.c_str(), OrNull(query.att1)));
    if (!list)
        throw ToolError("server lookup failed (" + Describe(query) +
                        "): the address server was not reached, refused the query or sent an unreadable list");
    ServerTable table;
    std::int32_t pos = list->Begin();
    while (Ref<IServerAddress> server{list->Next(&pos)})
        table.Add(*server.get());
    table.Print(out);
    out << table.Count() << (table.Count() == 1 ? " server" : " servers") << '\n';
    return 0;
}

int ShowServer(Library& library, const ServerQuery& query, std::ostream& out) {
    Ref<tarnclient::IAddressManager> manager = library.AddressManager();
    Ref<IServerAddress> server(manager->GetServerAddress(query.product.c_str(), query.category.c_str(),
                                                         query.name.c_str(), OrNull(query.att1)));
    if (!server)
        throw ToolError("no server found (" + Describe(query) +
                        "): none matches, or the address server was not reached or refused the query");
    ServerTable table;
    table.Add(*server.get());
    table.Print(out);
    return 0;
}

} // namespace tarn
