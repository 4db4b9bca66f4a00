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

    // Each holder gives its reference back when it goes out of scope.
    Ref<IComponentFactory> factory(TarnClientLib_GetComponentFactory());
    if (!factory)
        return 1;
    std::int32_t err = 0;
    Ref<ICoreFactory> core = factory.As<ICoreFactory>(&err);
    auto manager = Ref<IAddressManager>::Adopt(
        core ? core->CreateAddressManager(IAddressManager::Id, &err, serverAddress) : nullptr);
    // "any": every server of the category; no att1.
    Ref<IServerAddressList> list(manager ? manager->GetServerAddressEnum(argv[1], argv[2], "any", nullptr) : nullptr);
    if (!list) {
        std::fprintf(stderr, "list-servers: lookup failed (code %d)\n", static_cast<int>(err));
        return 1;
    }
    std::int32_t pos = list->Begin();
    while (Ref<IServerAddress> server{list->Next(&pos)}) {
        char* name = server->GetName();
        char* address = server->GetAddress();
        std::printf("%s %s uc=%d\n", name, address, static_cast<int>(server->GetUc()));
        TarnClientLib_MemFree(name);
        TarnClientLib_MemFree(address);
    }
    std::printf("%d servers\n", static_cast<int>(list->Count()));
    return 0;
}
