// A small TarnClient host: lists the servers of a product and category.
//
//   list-servers PRODUCT CATEGORY [HOST:PORT]
//
// Without HOST:PORT the library reads the server location from the registry
// value "QAS Address".
#include <cstdint>
#include <cstdio>

#include <tarnclient/TarnClient.h>

using namespace tarnclient;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: list-servers PRODUCT CATEGORY [HOST:PORT]\n");
        return 2;
    }
    const char* serverAddress = argc > 3 ? argv[3] : nullptr;

    IComponentFactory* factory = TarnClientLib_GetComponentFactory();
    if (!factory)
        return 1;
    std::int32_t err = 0;
    ICoreFactory* core = static_cast<ICoreFactory*>(factory->QueryInterface(ICoreFactory::Id, &err));
    IAddressManager* manager =
        core ? static_cast<IAddressManager*>(core->CreateAddressManager(IAddressManager::Id, &err, serverAddress))
             : nullptr;
    // "any": every server of the category; no att1.
    IServerAddressList* list = manager ? manager->GetServerAddressEnum(argv[1], argv[2], "any", nullptr) : nullptr;

    int status = 1;
    if (list) {
        std::int32_t pos = list->Begin();
        while (IServerAddress* server = list->Next(&pos)) {
            char* name = server->GetName();
            char* address = server->GetAddress();
            std::printf("%s %s uc=%d\n", name, address, static_cast<int>(server->GetUc()));
            TarnClientLib_MemFree(name);
            TarnClientLib_MemFree(address);
            server->Release();
        }
        std::printf("%d servers\n", static_cast<int>(list->Count()));
        status = 0;
        list->Release();
    } else {
        std::fprintf(stderr, "list-servers: lookup failed (code %d)\n", static_cast<int>(err));
    }
    if (manager)
        manager->Release();
    if (core)
        core->Release();
    factory->Release();
    return status;
}
