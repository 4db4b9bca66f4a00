// GetServerAddressEnum end to end against a loopback address server whose
// reply lists 10 to 100,000 servers: the whole road (HTTP exchange, record
// decoding, XML reading, one server record per entry, the list). Prints the
// wall time per server at each size and whether the cost stays linear: the
// figure at 100,000 must stay within twice the figure at 1,000.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <tarnclient/TarnClient.h>

#include "tests/support/LoopbackSocket.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

namespace {

namespace loopback = tarntest::loopback;

const std::uint16_t kAddressReplyMinor = 2;
const std::int64_t kSizes[] = {10, 1000, 10000, 100000};
const std::int64_t kLinearFrom = 1000;
const std::int64_t kLinearTo = 100000;
const double kLinearLimit = 2.0;
const int kStopCheckMs = 50;

std::string ServerListXml(std::int64_t count) {
    std::string xml = "<?xml version=\"1.0\"?>\n<serverlist>\n";
    for (std::int64_t i = 0; i < count; ++i) {
        xml += "  <server name=\"server-" + std::to_string(i) + "\" address=\"10." + std::to_string(i / 65536 % 256) +
               "." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256) + ":7000\" uc=\"" +
               std::to_string(i % 97) + "\"/>\n";
    }
    return xml + "</serverlist>\n";
}

std::string AddressReply(std::int64_t count) {
    return tarntest::HttpReply(200, tarntest::ReplyRecordBytes(kAddressReplyMinor, 0, {{"serverlist", ServerListXml(count)}}));
}

// Answers every connection, one after another, with the current reply. The
// scripted test server keeps every connection it ever served; a benchmark
// makes thousands.
class LoopServer {
public:
    LoopServer() {
        loopback::Startup();
        m_listener = loopback::Listen(m_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~LoopServer() {
        m_stopping = true;
        m_thread.join();
        loopback::Close(m_listener);
        loopback::Cleanup();
    }
    LoopServer(const LoopServer&) = delete;
    LoopServer& operator=(const LoopServer&) = delete;

    bool Listening() const { return m_listener != loopback::NoSocket; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

    void SetReply(std::shared_ptr<const std::string> reply) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_reply = std::move(reply);
    }

private:
    void Run() {
        while (!m_stopping && Listening()) {
            if (loopback::WaitReadable(m_listener, kStopCheckMs) != 1)
                continue;
            const loopback::Handle socket = loopback::Accept(m_listener);
            if (socket == loopback::NoSocket)
                continue;
            Serve(socket);
        }
    }

    void Serve(loopback::Handle socket) {
        std::string request;
        char chunk[4096];
        while (!RequestComplete(request)) {
            const int got = loopback::Receive(socket, chunk, sizeof chunk);
            if (got <= 0)
                break;
            request.append(chunk, std::size_t(got));
        }
        std::shared_ptr<const std::string> reply;
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            reply = m_reply;
        }
        if (reply)
            loopback::SendAll(socket, reply->data(), reply->size());
        // Wait for the client to close first, so our close is no reset.
        loopback::ShutdownSend(socket);
        while (loopback::Receive(socket, chunk, sizeof chunk) > 0) {
        }
        loopback::Close(socket);
    }

    // The header and as many body bytes as its content length announces.
    static bool RequestComplete(const std::string& request) {
        const std::size_t headerEnd = request.find("\r\n\r\n");
        if (headerEnd == std::string::npos)
            return false;
        std::string header = request.substr(0, headerEnd);
        std::transform(header.begin(), header.end(), header.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const std::size_t length = header.find("content-length:");
        const std::size_t announced =
            length == std::string::npos ? 0 : std::strtoul(header.c_str() + length + 15, nullptr, 10);
        return request.size() >= headerEnd + 4 + announced;
    }

    loopback::Handle m_listener = loopback::NoSocket;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::shared_ptr<const std::string> m_reply;
    std::thread m_thread;
};

LoopServer& Server() {
    static LoopServer server;
    return server;
}

// The configuration is fixed by the first manager of the process, so one
// server and one manager serve every size.
tarnclient::IAddressManager* Manager() {
    static tarnclient::IAddressManager* manager = [] () -> tarnclient::IAddressManager* {
        tarnclient::IComponentFactory* factory = TarnClientLib_GetComponentFactory();
        if (!factory)
            return nullptr;
        std::int32_t err = 0;
        auto* core =
            static_cast<tarnclient::ICoreFactory*>(factory->QueryInterface(tarnclient::ICoreFactory::Id, &err));
        factory->Release();
        if (!core)
            return nullptr;
        auto* made = static_cast<tarnclient::IAddressManager*>(
            core->CreateAddressManager(tarnclient::IAddressManager::Id, &err, Server().Address().c_str()));
        core->Release();
        return made;
    }();
    return manager;
}

std::shared_ptr<const std::string> ReplyFor(std::int64_t count) {
    static std::map<std::int64_t, std::shared_ptr<const std::string>> replies;
    std::shared_ptr<const std::string>& reply = replies[count];
    if (!reply)
        reply = std::make_shared<const std::string>(AddressReply(count));
    return reply;
}

void ServerAddressEnum(benchmark::State& state) {
    const std::int64_t count = state.range(0);
    tarnclient::IAddressManager* manager = Manager();
    if (!Server().Listening() || !manager) {
        state.SkipWithError("no loopback server or no AddressManager");
        return;
    }
    Server().SetReply(ReplyFor(count));
    for (auto _ : state) {
        tarnclient::IServerAddressList* list = manager->GetServerAddressEnum("Tarn", "Lobby", "any", nullptr);
        const bool complete = list && list->Count() == count;
        if (list)
            list->Release();
        if (!complete) {
            state.SkipWithError("lookup failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (std::int64_t size : kSizes)
        b->Arg(size);
}

BENCHMARK(ServerAddressEnum)->Apply(Sizes)->UseRealTime()->Unit(benchmark::kMillisecond);

// Prints as usual, then the wall time per server at each size.
class PerServerReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const std::int64_t servers = std::stoll(run.run_name.args);
            m_perServerNs[servers] = run.real_accumulated_time * 1e9 / double(run.iterations) / double(servers);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nwall time per server:\n");
        for (const auto& entry : m_perServerNs)
            std::printf("  %7lld servers: %9.1f ns\n", static_cast<long long>(entry.first), entry.second);
        if (m_perServerNs.count(kLinearFrom) && m_perServerNs.count(kLinearTo)) {
            const double ratio = m_perServerNs[kLinearTo] / m_perServerNs[kLinearFrom];
            std::printf("per-server time at %lld / at %lld: %.2f (%s; limit %.1f)\n",
                        static_cast<long long>(kLinearTo), static_cast<long long>(kLinearFrom), ratio,
                        ratio <= kLinearLimit ? "linear" : "NOT linear", kLinearLimit);
        }
    }

private:
    std::map<std::int64_t, double> m_perServerNs;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    PerServerReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // The manager lives for the process; give its reference back before the
    // library's statics go.
    if (tarnclient::IAddressManager* manager = Manager())
        manager->Release();
    return 0;
}
