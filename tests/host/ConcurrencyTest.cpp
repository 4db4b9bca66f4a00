#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <tarnclient/TarnClient.h>

#include "tests/host/HostHelpers.h"

namespace {

// Eight threads creating, querying and releasing the factory and the
// configuration at once: every call succeeds, and the sanitizer builds see no
// race and no leak.
TEST(Concurrency, FactoryAndConfigurationFromEightThreads) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 300;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&failures] {
            for (int i = 0; i < kRounds; ++i) {
                tarnclient::IComponentFactory* factory = TarnClientLib_GetComponentFactory();
                tarnclient::ICoreFactory* core = factory ? hosttest::CoreFactory(factory) : nullptr;
                if (!core) {
                    ++failures;
                    if (factory)
                        factory->Release();
                    continue;
                }
                std::int32_t err = 99;
                auto* location = static_cast<tarnclient::IServerLocation*>(
                    core->GetConfiguration(tarnclient::IServerLocation::Id, &err, "127.0.0.1:4321"));
                if (!location || err != vcom::Success || location->GetPort() != 4321 ||
                    hosttest::Take(location->GetHost()) != "127.0.0.1")
                    ++failures;
                if (location)
                    location->Release();
                core->Release();
                factory->Release();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
