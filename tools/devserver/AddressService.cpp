#include "AddressService.h"

namespace devserver {

std::vector<const Server*> SelectServers(const ServiceData& data, const AddressQuery& query) {
    std::vector<const Server*> selected;
    const Product* product = data.FindProduct(query.product);
    const Category* category = product ? FindCategory(*product, query.category) : nullptr;
    if (!category)
        return selected;
    for (const Server& server : category->servers) {
        if (query.server != "any" && server.name != query.server)
            continue;
        if (query.hasAtt1 && server.att1 != query.att1)
            continue;
        selected.push_back(&server);
    }
    return selected;
}

} // namespace devserver
