// Many hosts' threads, each with its own manager, sharing the ticket store
// and the servlet while exchanges are in flight.
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "tests/customer/CustomerHost.h"

namespace customertest {
namespace {

const int kThreads = 8;
const int kTicketsPerThread = 24;
const int kExchangesPerThread = 4;

std::string TicketText(int thread, int n) { return "ticket-" + std::to_string(thread) + "-" + std::to_string(n); }
std::string EventName(int thread, int n) { return "ev-" + std::to_string(thread) + "-" + std::to_string(n); }

// Lets every thread finish putting before any starts taking.
class Gate {
public:
    void ArriveAndWait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (++m_arrived == kThreads)
            m_allThere.notify_all();
        m_allThere.wait(lock, [this] { return m_arrived == kThreads; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_allThere;
    int m_arrived = 0;
};

struct ThreadOutcome {
    std::vector<std::string> taken;
    int failures = 0;
};

using CustomerConcurrencyTest = CustomerTest;

TEST_F(CustomerConcurrencyTest, ThreadsWithTheirOwnManagersLoseNoTicketAndHandNoneOutTwice) {
    // Every connection gets the same ticket reply.
    server.Script(TicketAnswer("KEY-X"));
    std::vector<Held<tarnclient::ICustomerManager>> managers;
    for (int i = 0; i < kThreads; ++i)
        managers.push_back(Manager());

    Gate gate;
    std::vector<ThreadOutcome> outcomes(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            tarnclient::ICustomerManager* manager = managers[t].get();
            ThreadOutcome& outcome = outcomes[t];
            ScriptedDisplay display;
            auto expect = [&outcome](bool ok) { outcome.failures += ok ? 0 : 1; };

            for (int n = 0; n < kTicketsPerThread; ++n) {
                expect(manager->PutTicket("game", EventName(t, n).c_str(), TicketText(t, n).c_str()) == 0);
                // A ticket put and removed again never reaches anyone.
                expect(manager->PutTicket("game", "scratch", "gone") == 0);
                manager->RemoveTicket("GAME", "scratch");
                if (n % (kTicketsPerThread / kExchangesPerThread) == 0) {
                    char* key = nullptr;
                    expect(manager->GetTicket("game", "Finals", "ctx", nullptr, 0, &display, &key) == 0);
                    expect(Take(key) == "KEY-X");
                }
            }
            gate.ArriveAndWait();
            // Every thread tries to take every ticket, starting at a different thread's.
            for (int i = 0; i < kThreads; ++i) {
                const int owner = (t + i) % kThreads;
                for (int n = 0; n < kTicketsPerThread; ++n) {
                    char* ticket = nullptr;
                    const std::int32_t result =
                        manager->GetTicket("GAME", EventName(owner, n).c_str(), nullptr, nullptr, 1, &display, &ticket);
                    if (result == 0)
                        outcome.taken.push_back(Take(ticket));
                    else
                        expect(result == 1 && ticket == nullptr);
                }
            }
            expect(display.calls.empty());
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    std::map<std::string, int> handedOut;
    for (const ThreadOutcome& outcome : outcomes) {
        EXPECT_EQ(outcome.failures, 0);
        for (const std::string& ticket : outcome.taken)
            ++handedOut[ticket];
    }
    ASSERT_EQ(handedOut.size(), static_cast<std::size_t>(kThreads * kTicketsPerThread));
    for (int t = 0; t < kThreads; ++t)
        for (int n = 0; n < kTicketsPerThread; ++n)
            EXPECT_EQ(handedOut[TicketText(t, n)], 1) << TicketText(t, n);
    EXPECT_EQ(server.Connections(), static_cast<std::size_t>(kThreads * kExchangesPerThread));
    char* scratch = nullptr;
    ScriptedDisplay display;
    EXPECT_EQ(managers[0]->GetTicket("game", "scratch", nullptr, nullptr, 1, &display, &scratch), 1);
}

} // namespace
} // namespace customertest
