// The address server's choice of servers for one query.
#ifndef TARN_TOOLS_DEVSERVER_ADDRESSSERVICE_H
#define TARN_TOOLS_DEVSERVER_ADDRESSSERVICE_H

#include <string>
#include <vector>

#include "ServiceData.h"

namespace devserver {

struct AddressQuery {
    std::string product;
    std::string category;
    std::string server; // "any": every server of the category
    bool hasAtt1 = false;
    std::string att1;
};

// The servers of the product's category, in data order: all of them for
// "any", else the one of that name; when att1 was sent, only those whose att1
// equals it. An unknown product or category selects none.
std::vector<const Server*> SelectServers(const ServiceData& data, const AddressQuery& query);

} // namespace devserver

#endif
