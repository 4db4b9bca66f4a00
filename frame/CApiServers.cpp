// The C interface's lookups: a server list copied out of the address
// manager's answer, whose texts the list lends to the host.
#include <memory>
#include <string>
#include <vector>

#include "frame/CApi.h"
#include "platform/Export.h"
#include "vcom/Boundary.h"
#include "vcom/MemHolder.h"

struct tarn_servers {
    struct Server {
        std::string name;
        std::string address;
        std::string host;
        std::int32_t port;
        std::int32_t uc;
    };
    std::vector<Server> all;
};

namespace {

using Server = tarn_servers::Server;

std::string TakeText(char* text) {
    const vcom::LibMemHolder holder(text);
    if (!holder)
        vcom::Fail(vcom::OutOfMemory);
    return holder.text();
}

// A lookup gives only null; the kind its call recorded says which code.
std::int32_t CodeOfFailedLookup(tarnclient::ICallControl& control) {
    std::int32_t kind = tarnclient::CallSucceeded;
    TarnClientLib_MemFree(control.GetLastFailure(&kind));
    switch (kind) {
    case tarnclient::CallBadArgument: return vcom::InvalidArgument;
    case tarnclient::CallCancelled: return vcom::Cancelled;
    default: return vcom::Failure;
    }
}

const Server* At(const tarn_servers* servers, int32_t index) {
    if (!servers || index < 0 || static_cast<std::size_t>(index) >= servers->all.size())
        return nullptr;
    return &servers->all[static_cast<std::size_t>(index)];
}

} // namespace

extern "C" {

TARN_EXPORT int32_t TARN_CDECL tarn_servers_find(tarn_client* client, const char* product, const char* category,
                                                 const char* name, const char* att1, tarn_servers** out) {
    if (!client)
        return TARN_INVALID_ARGUMENT;
    if (!out)
        return TARN_INVALID_OUT_POINTER;
    *out = nullptr;
    return vcom::CatchStatus([&]() -> std::int32_t {
        vcom::ref<tarnclient::IServerAddressList> list(
            client->Addresses().GetServerAddressEnum(product, category, name, att1));
        if (!list)
            return CodeOfFailedLookup(*client->addressControl);
        auto servers = std::make_unique<tarn_servers>();
        servers->all.reserve(static_cast<std::size_t>(list->Count()));
        std::int32_t pos = list->Begin();
        while (vcom::ref<tarnclient::IServerAddress> server{list->Next(&pos)}) {
            servers->all.push_back(Server{TakeText(server->GetName()), TakeText(server->GetAddress()),
                                          TakeText(server->GetHost()), server->GetPort(), server->GetUc()});
        }
        *out = servers.release();
        return vcom::Success;
    });
}

TARN_EXPORT int32_t TARN_CDECL tarn_servers_count(const tarn_servers* servers) {
    return servers ? static_cast<std::int32_t>(servers->all.size()) : TARN_INVALID_ARGUMENT;
}

TARN_EXPORT const char* TARN_CDECL tarn_servers_name(const tarn_servers* servers, int32_t index) {
    const Server* server = At(servers, index);
    return server ? server->name.c_str() : nullptr;
}

TARN_EXPORT const char* TARN_CDECL tarn_servers_address(const tarn_servers* servers, int32_t index) {
    const Server* server = At(servers, index);
    return server ? server->address.c_str() : nullptr;
}

TARN_EXPORT const char* TARN_CDECL tarn_servers_host(const tarn_servers* servers, int32_t index) {
    const Server* server = At(servers, index);
    return server ? server->host.c_str() : nullptr;
}

TARN_EXPORT int32_t TARN_CDECL tarn_servers_port(const tarn_servers* servers, int32_t index) {
    const Server* server = At(servers, index);
    return server ? server->port : TARN_INVALID_ARGUMENT;
}

TARN_EXPORT int32_t TARN_CDECL tarn_servers_uc(const tarn_servers* servers, int32_t index) {
    const Server* server = At(servers, index);
    return server ? server->uc : TARN_INVALID_ARGUMENT;
}

TARN_EXPORT void TARN_CDECL tarn_servers_free(tarn_servers* servers) {
    std::unique_ptr<tarn_servers> freeing(servers);
}

} // extern "C"
