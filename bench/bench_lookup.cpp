// One address lookup of 3 servers on a new loopback connection, three ways,
// against the same server answering with the exact bytes tarn-devserver sends:
//   library  GetServerAddressEnum and a walk of the list, through the public
//            header and the shared library;
//   libcurl  the same request bytes, a new connection each time
//            (CURLOPT_FORBID_REUSE);
//   raw      connect, send, read to Content-Length, close.
// Contenders run in turn, request by request, the order rotated each round.
//
//   bench_lookup --devserver PATH [--rounds N] [--smoke]
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <curl/curl.h>
#include <tarnclient/TarnClient.h>

#include "bench/support/HostLookup.h"
#include "bench/support/Loopback.h"
#include "bench/support/Measure.h"

namespace {

using namespace tarnclient;

const int kServers = 3;
const int kWarmUp = 50;

// The reply tarn-devserver gives to request, as it sends it.
std::string DevserverReply(const std::string& devserver, const std::string& request) {
    int out[2];
    if (pipe(out) != 0)
        bench::Die("pipe");
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDERR_FILENO);
        close(out[0]);
        execl(devserver.c_str(), devserver.c_str(), "--listen", "127.0.0.1:0", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    const std::size_t colon = line.rfind(':');
    bench::RawReply reply;
    const bool ok = colon != std::string::npos &&
                    bench::RawExchange(static_cast<std::uint16_t>(std::atoi(line.c_str() + colon + 1)), request, reply);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    close(out[0]);
    if (!ok)
        bench::Die("no reply from " + devserver + " (first line: \"" + line + "\", request of " +
                   std::to_string(request.size()) + " bytes)");
    return reply.Text();
}

// libcurl posting the library's own request: its header lines and body.
class CurlClient {
public:
    CurlClient(std::uint16_t port, const std::string& request) {
        std::size_t length = 0;
        const std::size_t end = bench::HeaderEnd(request, length);
        const std::size_t lineEnd = request.find("\r\n");
        const std::size_t pathStart = request.find(' ') + 1;
        m_url = "http://127.0.0.1:" + std::to_string(port) + request.substr(pathStart, request.find(' ', pathStart) - pathStart);
        m_body = request.substr(end);
        for (std::size_t line = lineEnd + 2; line + 2 < end; line = request.find("\r\n", line) + 2) {
            const std::string header = request.substr(line, request.find("\r\n", line) - line);
            if (strncasecmp(header.c_str(), "Host:", 5) != 0 && strncasecmp(header.c_str(), "Content-Length:", 15) != 0)
                m_headers = curl_slist_append(m_headers, header.c_str());
        }
        m_headers = curl_slist_append(m_headers, "Expect:");
        m_curl = curl_easy_init();
        curl_easy_setopt(m_curl, CURLOPT_URL, m_url.c_str());
        curl_easy_setopt(m_curl, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, m_headers);
        curl_easy_setopt(m_curl, CURLOPT_POSTFIELDS, m_body.data());
        curl_easy_setopt(m_curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(m_body.size()));
        curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, &CurlClient::Append);
        curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &m_reply);
    }
    ~CurlClient() {
        curl_easy_cleanup(m_curl);
        curl_slist_free_all(m_headers);
    }
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    std::size_t Fetch() {
        m_reply.clear();
        return curl_easy_perform(m_curl) == CURLE_OK ? m_reply.size() : 0;
    }

private:
    static std::size_t Append(char* data, std::size_t size, std::size_t count, void* reply) {
        static_cast<std::string*>(reply)->append(data, size * count);
        return size * count;
    }

    CURL* m_curl = nullptr;
    curl_slist* m_headers = nullptr;
    std::string m_url;
    std::string m_body;
    std::string m_reply;
};

void PrintRow(const char* name, const bench::Summary& s) {
    std::printf("| %s | %.1f | %.1f | %.1f | %.1f |\n", name, s.wallMedian, s.wallP90, s.cpuMedian, s.cpuP90);
}

} // namespace

int main(int argc, char** argv) {
    std::string devserver;
    int rounds = 3000;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--devserver") && i + 1 < argc)
            devserver = argv[++i];
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--smoke"))
            rounds = 3;
        else
            bench::Die(std::string("unknown argument ") + argv[i]);
    }
    if (devserver.empty())
        bench::Die("usage: bench_lookup --devserver PATH [--rounds N] [--smoke]");
    curl_global_init(CURL_GLOBAL_ALL);

    // The library's request, as a first server (answering 503) records it;
    // then tarn-devserver's reply to it, served from here on.
    std::uint16_t port = 0;
    const int listener = bench::ListenLoopback(port);
    IAddressManager* manager = bench::NewManager("127.0.0.1:" + std::to_string(port));
    std::string request;
    {
        bench::LoopServer recorder(listener, [] { return std::string("HTTP/1.1 503 Busy\r\nContent-Length: 0\r\n\r\n"); });
        bench::LibraryLookup(*manager);
        request = recorder.FirstRequest();
    }
    const std::string reply = DevserverReply(devserver, request);
    bench::LoopServer server(listener, [&] { return reply; });

    CurlClient curl(port, request);
    bench::RawReply raw;
    std::vector<std::function<bench::Sample()>> contenders = {
        [&] {
            bench::Stopwatch watch;
            if (bench::LibraryLookup(*manager) != kServers)
                bench::Die("the library's lookup did not give 3 servers");
            return watch.Stop();
        },
        [&] {
            bench::Stopwatch watch;
            if (curl.Fetch() != reply.size() - (reply.find("\r\n\r\n") + 4))
                bench::Die("libcurl's fetch failed");
            return watch.Stop();
        },
        [&] {
            bench::Stopwatch watch;
            if (!bench::RawExchange(port, request, raw) || raw.Size() != reply.size())
                bench::Die("the raw fetch failed");
            return watch.Stop();
        },
    };
    std::vector<std::vector<bench::Sample>> samples;
    bench::Interleave(contenders, samples, std::min(rounds, kWarmUp));
    bench::Interleave(contenders, samples, rounds);

    const bench::Summary library = bench::Summarise(samples[0]);
    const bench::Summary libcurl = bench::Summarise(samples[1]);
    const bench::Summary rawSocket = bench::Summarise(samples[2]);
    std::printf("Lookup of %d servers, new loopback connection each, %d interleaved rounds (%zu reply bytes)\n\n",
                kServers, rounds, reply.size());
    std::printf("| contender | median µs | p90 µs | CPU median µs | CPU p90 µs |\n|---|---|---|---|---|\n");
    PrintRow("library (GetServerAddressEnum + walk)", library);
    PrintRow("libcurl (CURLOPT_FORBID_REUSE)", libcurl);
    PrintRow("raw socket", rawSocket);
    std::printf("\nlookup ratios of medians: library/raw %.2f (goal <= 1.15), library/libcurl %.2f (goal <= 0.80), "
                "CPU library/raw %.2f (goal <= 1.30)\n",
                library.wallMedian / rawSocket.wallMedian, library.wallMedian / libcurl.wallMedian,
                library.cpuMedian / rawSocket.cpuMedian);
    manager->Release();
    curl_global_cleanup();
    return 0;
}
