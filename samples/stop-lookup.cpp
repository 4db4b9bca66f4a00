// A lookup on a worker thread, stopped when the host no longer wants it:
// here after one second, as when a player closes the launcher's window.
//
//   stop-lookup [HOST:PORT]
#include <chrono>
#include <cstdio>
#include <future>

#include <tarnclient/TarnClient.h>

using namespace tarnclient;

int main(int argc, char** argv) {
    Ref<IComponentFactory> factory(TarnClientLib_GetComponentFactory());
    int32 err = 0;
    auto manager = Ref<IAddressManager>::Adopt(factory.As<ICoreFactory>()->CreateAddressManager(
        IAddressManager::Id, &err, argc > 1 ? argv[1] : nullptr));
    if (!manager)
        return 1;
    Ref<ICallControl> control = manager.As<ICallControl>();
    control->SetDeadline(10000); // no call of this manager takes more than 10 seconds

    // The worker waits on the network; this thread stays free.
    std::future<Ref<IServerAddressList>> lookup = std::async(std::launch::async, [&] {
        return Ref<IServerAddressList>(manager->GetServerAddressEnum("TARNQUEST", "game", "any", nullptr));
    });
    if (lookup.wait_for(std::chrono::seconds(1)) == std::future_status::timeout)
        control->Cancel(); // from any thread; the lookup returns null within 100 ms

    Ref<IServerAddressList> list = lookup.get();
    if (!list) {
        int32 kind = 0;
        char* cause = control->GetLastFailure(&kind);
        std::printf("no servers (kind %d): %s\n", kind, cause ? cause : "");
        TarnClientLib_MemFree(cause);
        return 1;
    }
    std::printf("%d servers\n", list->Count());
    return 0;
}
