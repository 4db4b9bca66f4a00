#include "bench/support/HostLookup.h"

#include <cstdint>

#include "bench/support/Measure.h"

namespace bench {

using namespace tarnclient;

IAddressManager* NewManager(const std::string& address) {
    IComponentFactory* factory = TarnClientLib_GetComponentFactory();
    std::int32_t err = 0;
    auto* core = static_cast<ICoreFactory*>(factory->QueryInterface(ICoreFactory::Id, &err));
    auto* manager = core ? static_cast<IAddressManager*>(core->CreateAddressManager(IAddressManager::Id, &err,
                                                                                    address.c_str()))
                         : nullptr;
    if (core)
        core->Release();
    factory->Release();
    if (!manager)
        Die("no address manager");
    return manager;
}

long LibraryLookup(IAddressManager& manager) {
    IServerAddressList* list = manager.GetServerAddressEnum("TARNQUEST", "game", "any", nullptr);
    if (!list)
        return -1;
    long count = 0;
    std::int32_t pos = list->Begin();
    while (IServerAddress* server = list->Next(&pos)) {
        char* name = server->GetName();
        char* address = server->GetAddress();
        count += server->GetUc() >= 0 && name && address;
        TarnClientLib_MemFree(name);
        TarnClientLib_MemFree(address);
        server->Release();
    }
    list->Release();
    return count;
}

namespace {

// A string field of the record: its length with the top bit set, then its bytes.
void PutString(std::string& out, const std::string& text) {
    const std::uint32_t stored = static_cast<std::uint32_t>(text.size()) + 0x80000000u;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(stored >> shift & 0xFF);
    out += text;
}

} // namespace

std::string AddressReplyHttp(const std::string& xml) {
    std::string body("\x00\x01\x00\x02\x00\x00\x00\x01", 8);
    PutString(body, "serverlist");
    PutString(body, xml);
    // The length spelled as tarn-devserver sends it, the one spelling the library reads.
    return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

} // namespace bench
