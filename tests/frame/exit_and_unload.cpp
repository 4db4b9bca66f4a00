// Ending the process and unloading the library, as hosts do, with the
// library loaded by dlopen like a plug-in host loads it:
//
//   exit_and_unload LIBRARY exits N
//     N processes each start a lookup and a ticket (in a loop against a
//     prompt server, or stuck on one that never answers) and end, from main
//     or by exit(), while those calls are inside the library. Each must end
//     with status 0: no crash, and no report of the sanitizer it was built
//     with.
//   exit_and_unload LIBRARY unloads N
//     One process loads the library, looks up, gets a ticket and a machine
//     identifier, releases everything and unloads it, N times. Afterwards it
//     has as many descriptors and threads as before, and no mapping of the
//     library or of its XML parser is left.
//
// Each process keeps its own registry and trace files (TARN_REGISTRY,
// TARN_TRACE): the trace's file too is let go at every unload.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <tarnclient/TarnClient.h>

#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

extern char** environ;

namespace {

using namespace tarnclient;

const char kServers[] = R"(<servers><server name="east-1" address="10.0.0.5:7000" uc="12"/></servers>)";

// The library as a plug-in host holds it: a handle and two exports.
struct Library {
    void* handle = nullptr;
    IComponentFactory* (*factory)() = nullptr;
    void (*memFree)(void*) = nullptr;

    explicit Library(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
        if (handle) {
            factory = reinterpret_cast<IComponentFactory* (*)()>(dlsym(handle, "TarnClientLib_GetComponentFactory"));
            memFree = reinterpret_cast<void (*)(void*)>(dlsym(handle, "TarnClientLib_MemFree"));
        }
        if (!factory || !memFree) {
            std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
            std::_Exit(2);
        }
    }
};

class Display : public DisplayCallback {
    std::int32_t PromptLogin(LoginPrompt*) override { return 2; }
    std::int32_t ReportError(std::int32_t, std::int32_t) override { return 0; }
};

// A lookup, or a ticket by context id and the machine identifier, through
// the factory's components; true when the server's answer came through.
bool Call(const Library& lib, const std::string& server, bool lookup) {
    std::int32_t err = 0;
    Ref<IComponentFactory> factory(lib.factory());
    if (lookup) {
        Ref<ICoreFactory> core = factory.As<ICoreFactory>(&err);
        auto manager = Ref<IAddressManager>::Adopt(
            core ? core->CreateAddressManager(IAddressManager::Id, &err, server.c_str()) : nullptr);
        return static_cast<bool>(
            Ref<IServerAddress>(manager ? manager->GetServerAddress("TARNQUEST", "game", "any", nullptr) : nullptr));
    }
    auto manager = Ref<ICustomerManager>::Adopt(factory->CreateCustomerManager(ICustomerManager::Id, &err, server.c_str()));
    Display display;
    char* ticket = nullptr;
    const bool ticketed = manager && manager->GetTicket("TARNQUEST", "launch", "ctx", nullptr, 0, &display, &ticket) == 0;
    lib.memFree(ticket);
    return ticketed;
}

// The servers the processes talk to: one answers every lookup, one every
// ticket request, one never answers.
struct Servers {
    tarntest::ScriptedServer lookups, tickets, silent;
    Servers() {
        lookups.Script(tarntest::Answer(tarntest::HttpReply(
            200, tarntest::ReplyRecordBytes(2, 0, {{"serverlist", kServers}}))));
        tickets.Script(tarntest::Answer(
            tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"key", "KEY"}, {"lifetime", "60"}}))));
        silent.Script({tarntest::ReadRequest(), tarntest::Silent()});
    }
};

// A process of this program with its own registry and trace files, and the
// file its standard error goes to: a crash while the process ends may leave
// its exit status alone, but not its last words.
struct Child {
    pid_t pid = 0;
    std::string registry;
    std::string trace;
    std::string errors;

    Child(const char* self, std::vector<std::string> args, int n) {
        const char* tmp = std::getenv("TMPDIR");
        const std::string stem = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarn-exit-and-unload-" +
                                 std::to_string(getpid()) + "-" + std::to_string(n);
        registry = stem + ".db";
        trace = stem + ".trace";
        errors = stem + ".stderr";
        setenv("TARN_REGISTRY", registry.c_str(), 1);
        setenv("TARN_TRACE", trace.c_str(), 1);
        std::vector<char*> argv = {const_cast<char*>(self)};
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int spawned = posix_spawn(&pid, self, &files, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&files);
        if (spawned != 0) {
            std::perror("posix_spawn");
            std::exit(2);
        }
    }

    // True when it ended with status 0 and wrote nothing to standard error;
    // otherwise says how it ended. Removes its files.
    bool EndedCleanly(int status) const {
        std::ifstream in(errors);
        const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const bool clean = WIFEXITED(status) && WEXITSTATUS(status) == 0 && written.empty();
        if (!clean)
            std::printf("a process ended with %s %d%s%s\n", WIFEXITED(status) ? "status" : "signal",
                        WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status),
                        written.empty() ? "" : ", writing:\n", written.substr(0, 4000).c_str());
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            std::remove((registry + suffix).c_str());
        std::remove(trace.c_str());
        std::remove(errors.c_str());
        return clean;
    }
};

// ---- processes that end with calls in flight ----

int ExitWhileInside(const char* library, const std::string& server, bool lookups, unsigned seed) {
    const Library lib(library);
    std::atomic<int> started{0};
    // Never joined: the process ends around them, so they hold copies.
    for (int i = 0; i < 3; ++i) {
        std::thread([lib, server, lookups, &started] {
            ++started;
            for (;;)
                Call(lib, server, lookups);
        }).detach();
    }
    while (started < 3)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::microseconds(seed % 10000));
    if (seed & 1)
        std::exit(0);
    return 0;
}

int Exits(const char* self, const char* library, int count) {
    // Servers keep every connection's thread until they go: a fresh set for
    // each batch of processes bounds them.
    const int batch = 8;
    const std::size_t parallel = 4;
    int failures = 0;
    for (int first = 0; first < count; first += batch) {
        Servers servers;
        std::vector<Child> running;
        for (int i = first; i < std::min(first + batch, count) || !running.empty();) {
            if (i < std::min(first + batch, count) && running.size() < parallel) {
                // Lookups, tickets, a lookup stuck in its wait, a ticket stuck in its wait.
                const bool lookups = i % 2 == 0;
                const tarntest::ScriptedServer& server =
                    i % 4 >= 2 ? servers.silent : lookups ? servers.lookups : servers.tickets;
                running.emplace_back(self,
                                     std::vector<std::string>{library, "exit-child", server.Address(),
                                                              lookups ? "lookups" : "tickets",
                                                              std::to_string(i * 2654435761u)},
                                     i);
                ++i;
                continue;
            }
            int status = 0;
            const pid_t done = wait(&status);
            const auto child =
                std::find_if(running.begin(), running.end(), [&](const Child& c) { return c.pid == done; });
            if (child == running.end())
                continue;
            failures += !child->EndedCleanly(status);
            running.erase(child);
        }
    }
    std::printf("%d of %d exits with calls in flight ended cleanly\n", count - failures, count);
    return failures == 0 ? 0 : 1;
}

// ---- a process that loads and unloads the library ----

int Count(const char* folder) {
    int n = 0;
    if (DIR* dir = opendir(folder)) {
        while (const dirent* entry = readdir(dir))
            n += entry->d_name[0] != '.';
        closedir(dir);
    }
    return n;
}

bool Mapped(const char* name) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find(name) != std::string::npos)
            return true;
    return false;
}

int LoadAndUnload(const char* library, const std::string& lookups, const std::string& tickets, int cycles) {
    const int descriptors = Count("/proc/self/fd"), threads = Count("/proc/self/task");
    for (int i = 0; i < cycles; ++i) {
        {
            const Library lib(library);
            // The location is fixed for a loaded library: lookups and tickets take turns.
            if (!Call(lib, i % 2 ? tickets : lookups, i % 2 == 0)) {
                std::printf("cycle %d: the %s failed\n", i, i % 2 ? "ticket" : "lookup");
                return 1;
            }
            dlclose(lib.handle);
        }
        if (Mapped("libTarnClient") || Mapped("libXMLParser")) {
            std::printf("cycle %d: the library is still mapped after dlclose\n", i);
            return 1;
        }
    }
    const int descriptorsAfter = Count("/proc/self/fd"), threadsAfter = Count("/proc/self/task");
    std::printf("%d load/unload cycles: descriptors %d before, %d after; threads %d before, %d after\n", cycles,
                descriptors, descriptorsAfter, threads, threadsAfter);
    return descriptors == descriptorsAfter && threads == threadsAfter ? 0 : 1;
}

int Unloads(const char* self, const char* library, const char* cycles) {
    Servers servers;
    const Child child(self, {library, "unload-child", servers.lookups.Address(), servers.tickets.Address(), cycles}, 0);
    int status = 0;
    waitpid(child.pid, &status, 0);
    return child.EndedCleanly(status) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[2] : "";
    if (mode == "exits" && argc == 4)
        return Exits(argv[0], argv[1], std::atoi(argv[3]));
    if (mode == "unloads" && argc == 4)
        return Unloads(argv[0], argv[1], argv[3]);
    if (mode == "exit-child" && argc == 6)
        return ExitWhileInside(argv[1], argv[3], std::string(argv[4]) == "lookups",
                               static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10)));
    if (mode == "unload-child" && argc == 6)
        return LoadAndUnload(argv[1], argv[3], argv[4], std::atoi(argv[5]));
    std::fprintf(stderr, "usage: %s LIBRARY exits|unloads N\n", argv[0]);
    return 2;
}
