// Lists the servers of a product's category, or says why it cannot.
//
//   list-servers PRODUCT CATEGORY [HOST:PORT]
//
// Without HOST:PORT the library uses the configured server location (the
// registry value "QAS Address").
#include <cstdio>

#include <tarnclient/TarnClient.h>

using namespace tarnclient;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: list-servers PRODUCT CATEGORY [HOST:PORT]\n");
        return 2;
    }
    // Each Ref gives its reference back when it goes out of scope.
    Ref<IComponentFactory> factory(TarnClientLib_GetComponentFactory());
    int32 err = 0;
    Ref<ICoreFactory> core = factory.As<ICoreFactory>(&err);
    auto manager = Ref<IAddressManager>::Adopt(
        core->CreateAddressManager(IAddressManager::Id, &err, argc > 3 ? argv[3] : nullptr));
    if (!manager) {
        // No location given or configured: the trace (TARN_TRACE=stderr) says which.
        std::fprintf(stderr, "list-servers: no address manager (code %d)\n", err);
        return 1;
    }
    // "any": every server of the category; no att1.
    Ref<IServerAddressList> list(manager->GetServerAddressEnum(argv[1], argv[2], "any", nullptr));
    if (!list) {
        int32 kind = 0;
        char* cause = manager.As<ICallControl>()->GetLastFailure(&kind);
        std::fprintf(stderr, "list-servers: lookup failed (kind %d): %s\n", kind, cause ? cause : "");
        TarnClientLib_MemFree(cause);
        return 1;
    }
    int32 pos = list->Begin();
    while (Ref<IServerAddress> server{list->Next(&pos)}) {
        char* name = server->GetName();
        char* address = server->GetAddress();
        std::printf("%s %s uc=%d\n", name, address, server->GetUc());
        TarnClientLib_MemFree(name);
        TarnClientLib_MemFree(address);
    }
    std::printf("%d servers\n", list->Count());
    return 0;
}
