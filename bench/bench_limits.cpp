// What the limits of a call cost a host, through the public header:
//   cancel   how long a lookup waiting on a silent server takes to return
//            after another thread calls ICallControl::Cancel (goal: well
//            under 100 ms);
//   deadline how far past its deadline a lookup on a silent server returns;
//   reply    the peak memory a lookup adds when the server sends 300 MiB
//            without a declared length (goal: near the 64 MiB bound, not
//            near what the server sends).
// The server is a thread of this process that keeps every connection silent,
// except for requests of the product BIG, which it floods.
//
//   bench_limits [--rounds N] [--smoke]
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <tarnclient/TarnClient.h>

#include "bench/support/Loopback.h"
#include "bench/support/Measure.h"

namespace {

using namespace tarnclient;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kFloodBytes = 300u << 20;
constexpr int kSettleMs = 30; // a lookup is in its wait by then

// Serves each connection on a thread of its own: reads the request, then
// stays silent until the client closes, or floods when it asks for BIG.
class SilentServer {
public:
    SilentServer() : m_listener(bench::ListenLoopback(m_port)) {
        // Accepted here one by one: the listener waits.
        fcntl(m_listener, F_SETFL, fcntl(m_listener, F_GETFL) & ~O_NONBLOCK);
        m_acceptor = std::thread([this] {
            for (;;) {
                const int client = accept(m_listener, nullptr, nullptr);
                if (client < 0)
                    return;
                std::thread(Serve, client).detach();
            }
        });
    }
    ~SilentServer() {
        shutdown(m_listener, SHUT_RDWR);
        close(m_listener);
        m_acceptor.join();
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

private:
    static void Serve(int client) {
        std::string request;
        char piece[4096];
        std::size_t length = 0;
        while (bench::HeaderEnd(request, length) == std::string::npos ||
               request.size() < bench::HeaderEnd(request, length) + length) {
            const ssize_t got = recv(client, piece, sizeof piece, 0);
            if (got <= 0)
                break;
            request.append(piece, static_cast<std::size_t>(got));
        }
        if (request.find("BIG") != std::string::npos) {
            const std::string header = "HTTP/1.1 200 OK\r\n\r\n";
            send(client, header.data(), header.size(), MSG_NOSIGNAL);
            const std::vector<char> chunk(1u << 20, 'x');
            for (std::size_t sent = 0; sent < kFloodBytes; sent += chunk.size())
                if (send(client, chunk.data(), chunk.size(), MSG_NOSIGNAL) <= 0)
                    break;
        } else {
            while (recv(client, piece, sizeof piece, 0) > 0) {
            }
        }
        close(client);
    }

    std::uint16_t m_port = 0;
    int m_listener;
    std::thread m_acceptor;
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Print(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[static_cast<std::size_t>(q * double(values.size() - 1))]; };
    std::printf("| %s | %zu | %.2f | %.2f | %.2f |\n", what, values.size(), at(0.5), at(0.9), values.back());
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 50;
    bool smoke = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--smoke") == 0)
            smoke = true;
    }
    if (smoke)
        rounds = 2;
    SilentServer server;
    std::int32_t err = 0;
    Ref<ICoreFactory> core = Ref<vcom::IComponent>(TarnClientLib_GetComponentFactory()).As<ICoreFactory>(&err);
    auto manager = Ref<IAddressManager>::Adopt(core->CreateAddressManager(IAddressManager::Id, &err,
                                                                          server.Address().c_str()));
    Ref<ICallControl> control = manager.As<ICallControl>(&err);
    if (!control) {
        std::fprintf(stderr, "bench_limits: no address manager (%d)\n", err);
        return 1;
    }
    const auto lookup = [&](const char* product) {
        Ref<IServerAddressList> list(manager->GetServerAddressEnum(product, "game", "any", nullptr));
        return list.get() != nullptr;
    };

    std::vector<double> cancel, overshoot;
    for (int round = 0; round < rounds; ++round) {
        Clock::time_point cancelled;
        std::thread waiting([&] { lookup("P"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
        // 1: the thread has not begun its call yet.
        while ((cancelled = Clock::now(), control->Cancel()) != 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        waiting.join();
        cancel.push_back(Ms(Clock::now() - cancelled));
    }
    const int deadlineMs = 100;
    control->SetDeadline(deadlineMs);
    for (int round = 0; round < std::max(2, rounds / 5); ++round) {
        const Clock::time_point start = Clock::now();
        lookup("P");
        overshoot.push_back(Ms(Clock::now() - start) - deadlineMs);
    }
    control->SetDeadline(0);

    const std::size_t before = bench::PeakResidentBytes();
    const bool flooded = lookup("BIG");
    const std::size_t after = bench::PeakResidentBytes();

    std::printf("| limit | rounds | median ms | p90 ms | max ms |\n|---|---|---|---|---|\n");
    Print("Cancel() to the lookup's return", cancel);
    Print("return past a 100 ms deadline", overshoot);
    std::printf("\nA reply of %zu MiB without a declared length: %s, peak memory grew by %.1f MiB "
                "(bound 64 MiB)\n",
                kFloodBytes >> 20, flooded ? "ACCEPTED" : "refused", double(after - before) / (1 << 20));
    return flooded ? 1 : 0;
}
