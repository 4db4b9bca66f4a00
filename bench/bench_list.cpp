// A list of N servers (one process per size, so no contender's heap slows
// another), three ways against the same loopback server:
//   library      GetServerAddressEnum and a walk of the list;
//   expat        raw expat on the same "serverlist" text, copying the three
//                attributes of every server;
//   fetch+expat  the raw socket fetch of the same reply, then raw expat on the
//                text where it lies in the received body.
// Before anything else, the process's peak resident memory is taken around
// the first lookup: the library's peak over a bare process.
//
//   bench_list --servers N [--rounds R] [--smoke]
#include <expat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <tarnclient/TarnClient.h>

#include "bench/support/HostLookup.h"
#include "bench/support/Loopback.h"
#include "bench/support/Measure.h"

namespace {

using namespace tarnclient;

// Lines of about 67 bytes, as a large address server writes them.
std::string ServerListXml(long count) {
    std::string xml = "<?xml version=\"1.0\"?>\n<serverlist>\n";
    xml.reserve(static_cast<std::size_t>(count) * 70 + 64);
    for (long i = 0; i < count; ++i) {
        xml += "  <server name=\"server-" + std::to_string(i) + "\" address=\"10." + std::to_string(i / 65536 % 256) +
               "." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256) + ":7000\" uc=\"" +
               std::to_string(i % 97) + "\"/>\n";
    }
    return xml + "</serverlist>\n";
}

struct Entry {
    std::string name;
    std::string address;
    int uc = 0;
};

// Raw expat: every element with all three attributes becomes an entry.
std::size_t ExpatEntries(const char* text, std::size_t length) {
    std::vector<Entry> entries;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &entries);
    XML_SetStartElementHandler(parser, [](void* data, const XML_Char*, const XML_Char** attributes) {
        Entry entry;
        int found = 0;
        for (const XML_Char** a = attributes; a[0]; a += 2) {
            if (!std::strcmp(a[0], "name"))
                entry.name = a[1], found |= 1;
            else if (!std::strcmp(a[0], "address"))
                entry.address = a[1], found |= 2;
            else if (!std::strcmp(a[0], "uc"))
                entry.uc = std::atoi(a[1]), found |= 4;
        }
        if (found == 7)
            static_cast<std::vector<Entry>*>(data)->push_back(std::move(entry));
    });
    const bool ok = XML_Parse(parser, text, static_cast<int>(length), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok ? entries.size() : 0;
}

// The "serverlist" text inside a received AddressReply body, where it lies.
bool ServerListIn(const char* body, std::size_t size, const char*& text, std::size_t& length) {
    const auto u32 = [&](std::size_t at) {
        return (std::uint32_t(std::uint8_t(body[at])) << 24 | std::uint32_t(std::uint8_t(body[at + 1])) << 16 |
                std::uint32_t(std::uint8_t(body[at + 2])) << 8 | std::uint32_t(std::uint8_t(body[at + 3]))) -
               0x80000000u;
    };
    if (size < 12)
        return false;
    const std::size_t valueAt = 12 + u32(8);
    if (valueAt + 4 > size)
        return false;
    length = u32(valueAt);
    text = body + valueAt + 4;
    return valueAt + 4 + length <= size;
}

void PrintRow(long servers, const char* name, const bench::Summary& s) {
    const double n = static_cast<double>(servers);
    std::printf("| %ld | %s | %.3f | %.3f | %.3f | %.3f |\n", servers, name, s.wallMedian / n, s.wallP90 / n,
                s.cpuMedian / n, s.cpuP90 / n);
}

} // namespace

int main(int argc, char** argv) {
    long servers = 1000;
    int rounds = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--servers") && i + 1 < argc)
            servers = std::atol(argv[++i]);
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--smoke"))
            rounds = 2;
        else
            bench::Die(std::string("unknown argument ") + argv[i]);
    }
    if (servers <= 0)
        bench::Die("usage: bench_list --servers N [--rounds R] [--smoke]");
    if (rounds <= 0) // about 15 seconds of the library's time at any size
        rounds = static_cast<int>(std::max(20L, 6000000L / servers));

    std::uint16_t port = 0;
    const int listener = bench::ListenLoopback(port);
    bench::LoopServer server(listener, [&] { return bench::AddressReplyHttp(ServerListXml(servers)); });
    IAddressManager* manager = bench::NewManager("127.0.0.1:" + std::to_string(port));

    const std::size_t bare = bench::PeakResidentBytes();
    if (bench::LibraryLookup(*manager) != servers)
        bench::Die("the library's lookup did not give every server");
    const std::size_t peak = bench::PeakResidentBytes();
    const std::string request = server.FirstRequest();

    const std::string xml = ServerListXml(servers);
    bench::RawReply raw;
    std::vector<std::function<bench::Sample()>> contenders = {
        [&] {
            bench::Stopwatch watch;
            if (bench::LibraryLookup(*manager) != servers)
                bench::Die("the library's lookup did not give every server");
            return watch.Stop();
        },
        [&] {
            bench::Stopwatch watch;
            if (ExpatEntries(xml.data(), xml.size()) != static_cast<std::size_t>(servers))
                bench::Die("expat did not read every server");
            return watch.Stop();
        },
        [&] {
            bench::Stopwatch watch;
            const char* text = nullptr;
            std::size_t length = 0;
            if (!bench::RawExchange(port, request, raw) ||
                !ServerListIn(raw.Data() + raw.BodyStart(), raw.Size() - raw.BodyStart(), text, length) ||
                ExpatEntries(text, length) != static_cast<std::size_t>(servers))
                bench::Die("fetch and expat did not read every server");
            return watch.Stop();
        },
    };
    std::vector<std::vector<bench::Sample>> samples;
    bench::Interleave(contenders, samples, rounds);
    const bench::Summary library = bench::Summarise(samples[0]);
    const bench::Summary fetchExpat = bench::Summarise(samples[2]);
    PrintRow(servers, "library", library);
    PrintRow(servers, "expat alone", bench::Summarise(samples[1]));
    PrintRow(servers, "fetch + expat", fetchExpat);
    const double replyMb = static_cast<double>(xml.size()) / 1e6;
    const double overMb = static_cast<double>(peak - bare) / 1e6;
    // One line for the summary: size, rounds, library/fetch+expat, per-server
    // medians (wall, and the library's CPU: on a loaded machine a long
    // lookup is preempted more often than a short one, which only the wall
    // time shows), peak memory over the bare process and the reply text's size.
    std::printf("SUMMARY servers=%ld rounds=%d ratio=%.2f library_us=%.3f library_cpu_us=%.3f fetch_us=%.3f "
                "peak_mb=%.1f reply_mb=%.1f\n",
                servers, rounds, library.wallMedian / fetchExpat.wallMedian, library.wallMedian / double(servers),
                library.cpuMedian / double(servers), fetchExpat.wallMedian / double(servers), overMb, replyMb);
    manager->Release();
    return 0;
}
