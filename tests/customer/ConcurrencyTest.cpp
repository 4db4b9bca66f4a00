// Many hosts' threads, each making its own manager, sharing the factory, the
// configuration, the ticket store and the servlet while exchanges are in
// flight; the sanitizer builds see no race and no leak.
#include <atomic>
#include <thread>

#include <gmock/gmock.h>

#include "tests/customer/CustomerHost.h"

namespace customertest {
namespace {

const int kThreads = 8;
const int kTickets = 24;
const int kExchangeEvery = 6;

std::string Name(const char* what, int thread, int n) {
    return what + std::to_string(thread) + "-" + std::to_string(n);
}

TEST_F(CustomerTest, ThreadsWithTheirOwnManagersLoseNoTicketAndHandNoneOutTwice) {
    server.Script(TicketAnswer("KEY-X")); // every connection gets it
    std::atomic<int> putting{kThreads};
    std::atomic<int> failures{0};
    std::vector<std::vector<std::string>> taken(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Made here: the factory, the configuration and the settings are shared from the start.
            const Ref<tarnclient::ICustomerManager> manager = Manager();
            ScriptedDisplay host;
            for (int n = 0; n < kTickets; ++n) {
                failures += manager->PutTicket("game", Name("ev-", t, n).c_str(), Name("ticket-", t, n).c_str());
                // A ticket put and removed again never reaches anyone.
                failures += manager->PutTicket("game", "scratch", "gone");
                manager->RemoveTicket("GAME", "scratch");
                char* key = nullptr;
                if (n % kExchangeEvery == 0)
                    failures += manager->GetTicket("game", "Finals", "ctx", nullptr, 0, &host, &key) != 0 ||
                                Take(key) != "KEY-X";
            }
            for (--putting; putting > 0;)
                std::this_thread::yield();
            // Every thread tries to take every ticket, starting at a different thread's.
            for (int i = 0; i < kThreads * kTickets; ++i) {
                char* ticket = nullptr;
                const std::string event = Name("ev-", (t + i / kTickets) % kThreads, i % kTickets);
                const std::int32_t result = manager->GetTicket("GAME", event.c_str(), nullptr, nullptr, 1, &host, &ticket);
                if (result == 0)
                    taken[t].push_back(Take(ticket));
                else
                    failures += result != 1 || ticket != nullptr;
            }
            failures += !host.calls.empty();
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(failures, 0);
    std::vector<std::string> handedOut, expected;
    for (int t = 0; t < kThreads; ++t) {
        handedOut.insert(handedOut.end(), taken[t].begin(), taken[t].end());
        for (int n = 0; n < kTickets; ++n)
            expected.push_back(Name("ticket-", t, n));
    }
    EXPECT_THAT(handedOut, testing::UnorderedElementsAreArray(expected));
    EXPECT_EQ(server.Connections(), static_cast<std::size_t>(kThreads * kTickets / kExchangeEvery));
}

} // namespace
} // namespace customertest
