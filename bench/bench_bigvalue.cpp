// One server whose name is a single attribute value of M MB: a lookup through
// the library against a loopback server, the XML parser library alone on the
// list text, and raw expat on the same text in one call, the least any parse
// of it can cost. A parser that scans a
// value again for every piece of the reply it is given shows here as a time
// that grows with the square of M.
//
//   bench_bigvalue [--mb M]... [--rounds R] [--smoke]
#include <expat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <xmlparser/XMLParser.h>

#include "bench/support/HostLookup.h"
#include "bench/support/Loopback.h"
#include "bench/support/Measure.h"

namespace {

std::string OneServerList(std::size_t nameBytes) {
    return "<?xml version=\"1.0\"?>\n<serverlist>\n  <server name=\"" + std::string(nameBytes, 'n') +
           "\" address=\"10.0.0.1:7000\" uc=\"1\"/>\n</serverlist>\n";
}

// The parser the library uses, as the library calls it.
bool LibraryParses(xmlparser::IParser& parser, const std::string& xml) {
    xmlparser::INode* root = parser.Parse(xml.data(), static_cast<std::int32_t>(xml.size()));
    if (root)
        root->Release();
    return root != nullptr;
}

bool ExpatParses(const std::string& xml) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    const bool ok = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<double> sizesMb;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--mb") && i + 1 < argc)
            sizesMb.push_back(std::atof(argv[++i]));
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--smoke"))
            sizesMb = {1}, rounds = 1;
        else
            bench::Die(std::string("unknown argument ") + argv[i]);
    }
    if (sizesMb.empty())
        sizesMb = {1, 6, 24, 50};
    if (rounds <= 0)
        bench::Die("usage: bench_bigvalue [--mb M]... [--rounds R] [--smoke]");

    std::printf("| value MB | contender | median s | p90 s | CPU median s |\n|---|---|---|---|---|\n");
    // The first address given fixes the library's server for the process:
    // one listener serves every size in turn.
    std::uint16_t port = 0;
    const int listener = bench::ListenLoopback(port);
    tarnclient::IAddressManager* manager = bench::NewManager("127.0.0.1:" + std::to_string(port));
    std::int32_t err = 0;
    xmlparser::IParserFactory* factory = XMLParserLib_GetComponentFactory();
    auto* parser = static_cast<xmlparser::IParser*>(factory->Create(xmlparser::IParser::Id, &err));
    factory->Release();
    if (!parser)
        bench::Die("no XML parser");
    for (const double mb : sizesMb) {
        const auto bytes = static_cast<std::size_t>(mb * 1e6);
        const bench::LoopServer server(listener, [&] { return bench::AddressReplyHttp(OneServerList(bytes)); });
        const std::string xml = OneServerList(bytes);
        std::vector<std::function<bench::Sample()>> contenders = {
            [&] {
                bench::Stopwatch watch;
                if (bench::LibraryLookup(*manager) != 1)
                    bench::Die("the library did not read the server");
                return watch.Stop();
            },
            [&] {
                bench::Stopwatch watch;
                if (!LibraryParses(*parser, xml))
                    bench::Die("the XML parser library did not read the list");
                return watch.Stop();
            },
            [&] {
                bench::Stopwatch watch;
                if (!ExpatParses(xml))
                    bench::Die("expat did not read the list");
                return watch.Stop();
            },
        };
        std::vector<std::vector<bench::Sample>> samples;
        bench::Interleave(contenders, samples, rounds);
        const char* names[] = {"library lookup", "XML parser library", "expat, one call"};
        for (std::size_t i = 0; i < contenders.size(); ++i) {
            const bench::Summary s = bench::Summarise(samples[i]);
            std::printf("| %g | %s | %.3f | %.3f | %.3f |\n", mb, names[i], s.wallMedian / 1e6, s.wallP90 / 1e6,
                        s.cpuMedian / 1e6);
        }
    }
    parser->Release();
    manager->Release();
    close(listener);
    return 0;
}
