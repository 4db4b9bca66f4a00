// Latency of one binary exchange through Utility::MakeHttpRequest, side by
// side with libcurl posting the same bytes to the same loopback server (a new
// connection per request for both), and the cost per KiB of a large reply.
//
// The summary at the end gives both medians, their ratio (goal: at most 1.5)
// and microseconds per KiB at 64 KiB and 1 MiB (about equal when reading is
// linear in the reply size).
#include <cstdio>
#include <map>
#include <string>

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include "dead/Message.h"
#include "dead/Stream.h"
#include "http/MakeHttpRequest.h"
#include "tests/support/ScriptedServer.h"

namespace {

constexpr char kAgent[] = "QAS Client/1.0";
constexpr char kPath[] = "/addrsrv";

Dead::IMessage* NewAddressRequest(Dead::IMessageFactory& factory) {
    std::int32_t err = 0;
    return static_cast<Dead::IMessage*>(
        factory.CreateAddressRequest(Dead::IMessage::Id, &err, "product", "category", "server", "att1"));
}

std::string BytesOf(Dead::IMessage& message) {
    Dead::Stream stream = Dead::Stream::Growable(80, 128);
    message.Write(&stream);
    const Dead::Buffer& buffer = stream.GetBuffer();
    return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Length());
}

std::string AddressReplyBytes(Dead::IMessageFactory& factory) {
    std::int32_t err = 0;
    vcom::ref<Dead::IMessage> reply(static_cast<Dead::IMessage*>(factory.CreateAddressReply(
        Dead::IMessage::Id, &err, "<servers><server name=\"s1\" address=\"10.0.0.1:7000\" uc=\"3\"/></servers>")));
    return BytesOf(*reply);
}

// A server that answers every connection at once with the same reply.
struct AnsweringServer {
    explicit AnsweringServer(const std::string& body) { server.Script(tarntest::Answer(tarntest::HttpReply(200, body))); }
    tarntest::ScriptedServer server;
};

void BM_MakeHttpRequest(benchmark::State& state) {
    const vcom::ref<Dead::IMessageFactory> factory = Dead::GetMessageFactory();
    AnsweringServer answering(AddressReplyBytes(*factory));
    std::string text;
    std::uint32_t bytes = 0;
    for (auto _ : state) {
        Dead::IMessage* record = NewAddressRequest(*factory);
        const std::int32_t result = Utility::MakeHttpRequest("127.0.0.1", answering.server.Port(), kAgent, kPath,
                                                             "POST", text, &bytes, &record);
        if (record)
            record->Release();
        if (result != 200) {
            state.SkipWithError(text.c_str());
            break;
        }
    }
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

void BM_LibcurlPost(benchmark::State& state) {
    const vcom::ref<Dead::IMessageFactory> factory = Dead::GetMessageFactory();
    AnsweringServer answering(AddressReplyBytes(*factory));
    vcom::ref<Dead::IMessage> request(NewAddressRequest(*factory));
    const std::string body = BytesOf(*request);
    const std::string url = "http://127.0.0.1:" + std::to_string(answering.server.Port()) + kPath;

    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    for (const char* line : {"Accept: application/octet-stream", "Accept: text/*",
                             "Content-Type: application/octet-stream"})
        headers = curl_slist_append(headers, line);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kAgent);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(body.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    // A new connection per request, as MakeHttpRequest makes.
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    for (auto _ : state) {
        const CURLcode rc = curl_easy_perform(curl);
        if (rc != CURLE_OK) {
            state.SkipWithError(curl_easy_strerror(rc));
            break;
        }
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
}

void BM_LargeReply(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    AnsweringServer answering(std::string(size, 'r'));
    std::string text;
    std::uint32_t bytes = 0;
    for (auto _ : state) {
        if (Utility::MakeHttpRequest("127.0.0.1", answering.server.Port(), kAgent, "/large", "POST", text, &bytes,
                                     nullptr) != 200 ||
            bytes != size) {
            state.SkipWithError(text.c_str());
            break;
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(size));
}

BENCHMARK(BM_MakeHttpRequest)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_LibcurlPost)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_LargeReply)
    ->Unit(benchmark::kMicrosecond)
    ->Arg(64 << 10)
    ->Arg(1 << 20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Keeps the medians and prints the comparison once every benchmark has run.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
            {
                const std::string name = run.run_name.function_name + "/" + run.run_name.args;
                m_medianMicros[name] = run.GetAdjustedRealTime();
                m_medianCpuMicros[name] = run.GetAdjustedCPUTime();
            }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        const double ours = Median("BM_MakeHttpRequest/");
        const double curl = Median("BM_LibcurlPost/");
        std::printf("\nbinary exchange, median: MakeHttpRequest %.1f us, libcurl %.1f us, ratio %.2f (goal <= 1.5)\n",
                    ours, curl, curl > 0 ? ours / curl : 0.0);
        PrintPerKiB("wall", m_medianMicros);
        PrintPerKiB("cpu", m_medianCpuMicros);
    }

private:
    using Medians = std::map<std::string, double>;

    static double Find(const Medians& medians, const std::string& name) {
        const auto found = medians.find(name);
        return found == medians.end() ? 0.0 : found->second;
    }
    double Median(const std::string& name) const { return Find(m_medianMicros, name); }

    static void PrintPerKiB(const char* clock, const Medians& medians) {
        const double small = Find(medians, "BM_LargeReply/65536") / 64;
        const double large = Find(medians, "BM_LargeReply/1048576") / 1024;
        std::printf("large reply (%s): %.2f us/KiB at 64 KiB, %.2f us/KiB at 1 MiB (ratio %.2f)\n", clock, small,
                    large, small > 0 ? large / small : 0.0);
    }

    Medians m_medianMicros;
    Medians m_medianCpuMicros;
};

} // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    curl_global_cleanup();
    return 0;
}
