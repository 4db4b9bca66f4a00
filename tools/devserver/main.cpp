// tarn-devserver: a local address server and customer servlet speaking the
// library's wire format, so host programs can be developed offline.
#include <csignal>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "DataLoader.h"
#include "DefaultData.h"
#include "DevServer.h"
#include "ListenAddress.h"
#include "Registration.h"

namespace {

using namespace devserver;

struct Options {
    std::string listen = "127.0.0.1:8600";
    std::string dataFile;
    std::vector<std::string> faults;
    bool unavailable = false;
    bool registerAddress = false;
    bool registerMachineWide = false;
    bool printData = false;
};

ServiceData LoadData(const Options& options) {
    ServiceData data = options.dataFile.empty() ? LoadServiceData(DefaultDataJson())
                                                : LoadServiceDataFile(options.dataFile);
    for (const std::string& text : options.faults) {
        try {
            data.faults.push_back(ParseFaultRule(text));
        } catch (const std::invalid_argument& e) {
            throw std::runtime_error("--fault " + text + ": " + e.what());
        }
    }
    data.unavailable = data.unavailable || options.unavailable;
    return data;
}

// Blocks the stop signals in every thread started after it, so that only
// the waiting main thread receives them.
sigset_t BlockStopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    return set;
}

int Serve(const Options& options) {
    const ListenAddress where = ParseListenAddress(options.listen);
    RequestLog log(std::cerr);
    DevServer server(LoadData(options), log);
    const int port = server.Bind(where.host, where.port);
    const std::string address = where.host + ":" + std::to_string(port);
    if (options.registerAddress || options.registerMachineWide)
        RegisterAddress(address, options.registerMachineWide);
    // The first line on stdout is the address, for scripts that asked for port 0.
    std::cout << address << std::endl;
    std::cerr << "tarn-devserver: serving on " << address << (options.registerAddress || options.registerMachineWide ? ", registered" : "")
              << "; stop with Ctrl-C" << std::endl;

    const sigset_t stopSignals = BlockStopSignals();
    std::thread serving([&server] {
        server.Run();
        // Wakes the main thread also when serving ended on its own.
        kill(getpid(), SIGTERM);
    });
    int received = 0;
    sigwait(&stopSignals, &received);
    server.Stop();
    serving.join();
    std::cerr << "tarn-devserver: stopped" << std::endl;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    Options options;
    CLI::App app{"tarn-devserver: a local address server and customer servlet for TarnClient hosts.\n"
                 "Data format and fault modes: tools/devserver/README.md."};
    app.set_version_flag("--version", std::string("tarn-devserver ") + TARN_VERSION);
    app.add_option("--listen", options.listen, "ADDR:PORT to listen on; port 0 picks a free one")
        ->capture_default_str();
    app.add_option("--data", options.dataFile, "JSON data set (default: the built-in one, see --print-data)");
    app.add_option("--fault", options.faults,
                   "[PATH=]MODE, repeatable: delay:MS, hang, close, http:STATUS, malformed-list, "
                   "incomplete-list, unavailable, none");
    app.add_flag("--unavailable", options.unavailable, "Answer every request with status 9001");
    app.add_flag("--register", options.registerAddress,
                 "Write the listening address to the registry value \"QAS Address\" for this user (TARN_REGISTRY, "
                 "else ~/.local/state/tarn/registry.db)");
    app.add_flag("--register-machine", options.registerMachineWide,
                 "As root, as an installer would: write it into /var/lib/tarn/registry.db, which every user reads");
    app.add_flag("--print-data", options.printData, "Print the built-in data set and exit");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    if (options.printData) {
        std::cout << DefaultDataJson();
        return 0;
    }
    try {
        return Serve(options);
    } catch (const std::exception& e) {
        std::cerr << "tarn-devserver: " << e.what() << std::endl;
        return 2;
    }
}
