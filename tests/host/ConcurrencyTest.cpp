#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <tarnclient/TarnClient.h>

#include "tests/support/HostCalls.h"

namespace {

// Eight threads creating, querying and releasing the factory and the
// configuration at once: every call succeeds, and the sanitizer builds see no
// race and no leak.
TEST(Concurrency, FactoryAndConfigurationFromEightThreads) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&failures] {
            for (int i = 0; i < 300; ++i) {
                std::int32_t err = 99;
                auto core = tarntest::Core(&err);
                auto location = tarnclient::Ref<tarnclient::IServerLocation>::Adopt(
                    core ? core->GetConfiguration(tarnclient::IServerLocation::Id, &err, "127.0.0.1:4321") : nullptr);
                failures += !location || err != vcom::Success || location->GetPort() != 4321 ||
                            tarntest::Take(location->GetHost()) != "127.0.0.1";
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
