// The XML reply reader against expat alone on the same server lists: the
// reader's whole road (parser library, tree, component objects, text copies)
// next to a bare expat pass that only counts attributes. Prints the ratio.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "xml/XmlResponse.h"

namespace {

std::string ServerList(int count) {
    std::string text = "<?xml version=\"1.0\"?>\n<serverlist>\n";
    for (int i = 0; i < count; ++i) {
        text += "  <server name=\"server-" + std::to_string(i) + "\" address=\"10.0." + std::to_string(i / 256 % 256) +
                "." + std::to_string(i % 256) + ":7000\" uc=\"" + std::to_string(i % 97) + "\" zone=\"eu-west\"/>\n";
    }
    text += "</serverlist>\n";
    return text;
}

const std::string& Document(int count) {
    static std::map<int, std::string> documents;
    auto found = documents.find(count);
    if (found == documents.end())
        found = documents.emplace(count, ServerList(count)).first;
    return found->second;
}

void ReadServerList(benchmark::State& state) {
    const std::string& document = Document(static_cast<int>(state.range(0)));
    const std::vector<std::string> wanted{"name", "address", "uc"};
    for (auto _ : state) {
        std::vector<Utility::XmlPairs> elements;
        elements.reserve(16);  // as the address service does
        const std::int32_t read = Utility::ParseXmlResponse(
            document, static_cast<std::int32_t>(document.size()), wanted, elements, true);
        benchmark::DoNotOptimize(read);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void XMLCALL CountAttributes(void* data, const XML_Char*, const XML_Char** attributes) {
    auto& count = *static_cast<std::int64_t*>(data);
    for (const XML_Char** a = attributes; *a; a += 2)
        ++count;
}

void RawExpat(benchmark::State& state) {
    const std::string& document = Document(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::int64_t count = 0;
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, &count);
        XML_SetStartElementHandler(parser, CountAttributes);
        if (XML_Parse(parser, document.data(), static_cast<int>(document.size()), XML_TRUE) != XML_STATUS_OK)
            state.SkipWithError("expat failed");
        XML_ParserFree(parser);
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(ReadServerList)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(RawExpat)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Prints as usual, then the reader's time over expat's at each size (CPU
// time: both run on one thread, and a busy machine inflates wall time).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* size : {"1000", "100000"}) {
            const auto reader = m_times.find(std::string("ReadServerList/") + size);
            const auto expat = m_times.find(std::string("RawExpat/") + size);
            if (reader != m_times.end() && expat != m_times.end() && expat->second > 0)
                std::printf("reader / raw expat at %s servers: %.2fx (goal <= 3x)\n", size,
                            reader->second / expat->second);
        }
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
