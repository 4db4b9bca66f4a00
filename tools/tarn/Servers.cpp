#include <cstdint>

#include "Commands.h"
#include "Interrupt.h"
#include "ServerTable.h"
#include "ShownText.h"
#include "ToolError.h"
#include "WaitNotice.h"

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

ToolError NoneFound(const ServerQuery& query) {
    return ToolError("no server found (" + Describe(query) + ")", ExitNotFound);
}

} // namespace

int ListServers(Library& library, const ServerQuery& query, const Output& output) {
    Ref<tarnclient::IAddressManager> manager = library.AddressManager();
    const Ref<IServerAddressList> list = [&] {
        const CancelOnInterrupt cancel(*Library::Control(*manager));
        const WaitNotice notice(library.Where());
        return Ref<IServerAddressList>(manager->GetServerAddressEnum(
            query.product.c_str(), query.category.c_str(), query.name.c_str(), OrNull(query.att1)));
    }();
    if (!list)
        throw Library::Failure("server lookup failed (" + Describe(query) + ")", *manager);
    ServerTable table;
    std::int32_t pos = list->Begin();
    while (Ref<IServerAddress> server{list->Next(&pos)})
        table.Add(*server.get());
    if (output.json) {
        output.out << JsonText({{"servers", table.Json()}}) << '\n';
    } else {
        table.Print(output.out);
        output.out << table.Count() << (table.Count() == 1 ? " server" : " servers") << '\n';
    }
    if (table.Count() == 0)
        throw NoneFound(query);
    return ExitSuccess;
}

int ShowServer(Library& library, const ServerQuery& query, const Output& output) {
    Ref<tarnclient::IAddressManager> manager = library.AddressManager();
    const Ref<IServerAddress> server = [&] {
        const CancelOnInterrupt cancel(*Library::Control(*manager));
        const WaitNotice notice(library.Where());
        return Ref<IServerAddress>(manager->GetServerAddress(query.product.c_str(), query.category.c_str(),
                                                             query.name.c_str(), OrNull(query.att1)));
    }();
    // A null after a call that did not fail: nothing matched.
    if (!server && !Library::CallFailed(*manager))
        throw NoneFound(query);
    if (!server)
        throw Library::Failure("server lookup failed (" + Describe(query) + ")", *manager);
    ServerTable table;
    table.Add(*server.get());
    if (output.json)
        output.out << JsonText(table.Json().front()) << '\n';
    else
        table.Print(output.out);
    return ExitSuccess;
}

} // namespace tarn
