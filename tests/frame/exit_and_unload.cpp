// Ending the process and unloading the library, as hosts do, with the
// library loaded by dlopen as a plug-in host loads it:
//
//   exit_and_unload LIBRARY exits N
//     N processes, four at a time, each with three threads looping on lookups
//     or on tickets (against a prompt scripted server, or stuck on one that
//     never answers), end from main or by exit() at a random moment. Each
//     must end with status 0 and write nothing to standard error (a crash
//     while a process ends may leave its status alone, not its last words).
//     A process of tickets has logged in first and releases that manager
//     from its exit handler: the login must be saved then.
//   exit_and_unload LIBRARY unloads N
//     One process loads the library, looks up or gets a ticket, releases
//     everything and unloads it, N times, and must end with as many
//     descriptors and threads as before, and no mapping of the library or
//     of its XML parser.
//
// Every process has registry and trace files of its own (TARN_REGISTRY,
// TARN_TRACE), so the trace's file is let go at every unload too.
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
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <tarnclient/TarnClient.h>

#include "tests/support/Files.h"
#include "tests/support/RegistryValues.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

extern char** environ;

namespace {

using namespace tarnclient;

const char kLogin[] = "alice;wonderland1";

// The two exports a plug-in host takes from the library.
struct Library {
    void* handle;
    IComponentFactory* (*factory)();
    void (*memFree)(void*);
};

Library Load(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    Library lib{handle, nullptr, nullptr};
    if (handle) {
        lib.factory = reinterpret_cast<IComponentFactory* (*)()>(dlsym(handle, "TarnClientLib_GetComponentFactory"));
        lib.memFree = reinterpret_cast<void (*)(void*)>(dlsym(handle, "TarnClientLib_MemFree"));
    }
    if (!lib.factory || !lib.memFree) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        std::_Exit(2);
    }
    return lib;
}

// Logs in as alice once, then gives up.
class Display : public DisplayCallback {
    std::int32_t PromptLogin(LoginPrompt* prompt) override {
        if (m_asked++)
            return 2;
        std::snprintf(prompt->publicName, sizeof prompt->publicName, "alice");
        std::snprintf(prompt->password, sizeof prompt->password, "wonderland1");
        return 0;
    }
    std::int32_t ReportError(std::int32_t, std::int32_t) override { return 0; }
    int m_asked = 0;
};

Ref<ICustomerManager> Customers(const Library& lib, const std::string& server) {
    std::int32_t err = 0;
    Ref<IComponentFactory> factory(lib.factory());
    return Ref<ICustomerManager>::Adopt(factory->CreateCustomerManager(ICustomerManager::Id, &err, server.c_str()));
}

// A ticket (by context id, or by the login prompt), or a lookup; true when
// the server's answer came through.
bool Call(const Library& lib, const std::string& server, bool lookup, const char* contextId = "ctx") {
    if (!lookup) {
        Ref<ICustomerManager> manager = Customers(lib, server);
        Display display;
        char* ticket = nullptr;
        const bool ticketed = manager && manager->GetTicket("TARNQUEST", "launch", contextId, nullptr, 0, &display,
                                                            &ticket) == 0;
        lib.memFree(ticket);
        return ticketed;
    }
    std::int32_t err = 0;
    Ref<ICoreFactory> core = Ref<IComponentFactory>(lib.factory()).As<ICoreFactory>(&err);
    auto manager = Ref<IAddressManager>::Adopt(
        core ? core->CreateAddressManager(IAddressManager::Id, &err, server.c_str()) : nullptr);
    return static_cast<bool>(
        Ref<IServerAddress>(manager ? manager->GetServerAddress("TARNQUEST", "game", "any", nullptr) : nullptr));
}

// One answers every lookup, one every ticket request, one never answers.
struct Servers {
    tarntest::ScriptedServer lookups, tickets, silent;
    Servers() {
        const std::string list = R"(<s><server name="east-1" address="10.0.0.5:7000" uc="12"/></s>)";
        lookups.Script(tarntest::Answer(tarntest::HttpReply(200, tarntest::ReplyRecordBytes(2, 0, {{"serverlist", list}}))));
        tickets.Script(tarntest::Answer(
            tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"key", "KEY"}, {"lifetime", "60"}}))));
        silent.Script({tarntest::ReadRequest(), tarntest::Silent()});
    }
};

// A process of this program with files of its own, in folder.
struct Child {
    pid_t pid = 0;
    std::string stem;

    Child(const char* self, std::vector<std::string> args, const tarntest::ScratchFolder& folder, int n)
        : stem(folder / std::to_string(n)) {
        setenv("TARN_REGISTRY", (stem + ".db").c_str(), 1);
        setenv("TARN_TRACE", (stem + ".trace").c_str(), 1);
        std::vector<char*> argv = {const_cast<char*>(self)};
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 2, (stem + ".stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&pid, self, &files, nullptr, argv.data(), environ) != 0)
            std::_Exit(2);
        posix_spawn_file_actions_destroy(&files);
    }

    // True when it ended with status 0, wrote nothing to standard error and,
    // with savesLogin, left the login in its registry; otherwise says how it
    // ended.
    bool EndedCleanly(bool savesLogin = false) const {
        int status = 0;
        waitpid(pid, &status, 0);
        const std::string written = tarntest::FileText(stem + ".stderr");
        std::string login;
        setenv("TARN_REGISTRY", (stem + ".db").c_str(), 1);
        const bool saved = !savesLogin || (tarntest::GetStoredLogin(login) && login == kLogin);
        const bool clean = WIFEXITED(status) && WEXITSTATUS(status) == 0 && written.empty() && saved;
        if (!clean)
            std::printf("a process ended with %s %d%s, writing: %s\n", WIFEXITED(status) ? "status" : "signal",
                        WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status),
                        saved ? "" : ", its login not saved", written.substr(0, 4000).c_str());
        return clean;
    }
};

int ExitWhileInside(const char* library, const std::string& server, bool lookups, bool login, unsigned seed) {
    const Library lib = Load(library);
    static Ref<ICustomerManager> loggedIn; // released by the exit handler, after main
    if (login) {
        loggedIn = Customers(lib, server);
        Display display;
        char* ticket = nullptr;
        if (!loggedIn || loggedIn->GetTicket("TARNQUEST", "launch", nullptr, nullptr, 0, &display, &ticket) != 0)
            return 3;
        lib.memFree(ticket);
    }
    std::atomic<int> started{0};
    // Never joined: the process ends around them, so they hold copies.
    for (int i = 0; i < 3; ++i)
        std::thread([lib, server, lookups, &started] {
            ++started;
            for (;;)
                Call(lib, server, lookups);
        }).detach();
    while (started < 3)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::microseconds(seed % 10000));
    if (seed & 1)
        std::exit(0);
    return 0;
}

int Exits(const char* self, const char* library, int count) {
    int failures = 0;
    const tarntest::ScratchFolder folder;
    // Four at a time; servers keep every connection's thread until they go.
    for (int first = 0; first < count; first += 4) {
        Servers servers;
        std::vector<Child> children;
        for (int i = first; i < std::min(first + 4, count); ++i) {
            // Lookups, tickets after a login, a lookup stuck in its wait, a ticket stuck in its wait.
            const char* kind = i % 2 == 0 ? "lookups" : i % 4 == 1 ? "login" : "tickets";
            const tarntest::ScriptedServer& server = i % 4 >= 2 ? servers.silent : i % 2 ? servers.tickets : servers.lookups;
            children.emplace_back(self, std::vector<std::string>{library, "exit", server.Address(), kind,
                                                                  std::to_string(i * 2654435761u)},
                                  folder, i);
        }
        for (int i = first; i < std::min(first + 4, count); ++i)
            failures += !children[i - first].EndedCleanly(i % 4 == 1);
    }
    std::printf("%d of %d exits with calls in flight ended cleanly\n", count - failures, count);
    return failures == 0 ? 0 : 1;
}

int Count(const char* folder) {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

bool Mapped(const char* name) { return tarntest::FileText("/proc/self/maps").find(name) != std::string::npos; }

int LoadAndUnload(const char* library, const std::string& lookups, const std::string& tickets, int cycles) {
    const int descriptors = Count("/proc/self/fd"), threads = Count("/proc/self/task");
    for (int i = 0; i < cycles; ++i) {
        const Library lib = Load(library);
        // A loaded library's location is fixed: lookups and tickets take turns.
        const bool called = Call(lib, i % 2 ? tickets : lookups, i % 2 == 0);
        dlclose(lib.handle);
        if (!called || Mapped("libTarnClient") || Mapped("libXMLParser")) {
            std::printf("cycle %d: %s\n", i, called ? "the library is still mapped after dlclose" : "the call failed");
            return 1;
        }
    }
    const int descriptorsAfter = Count("/proc/self/fd"), threadsAfter = Count("/proc/self/task");
    std::printf("%d load/unload cycles: descriptors %d before, %d after; threads %d before, %d after\n", cycles,
                descriptors, descriptorsAfter, threads, threadsAfter);
    return descriptors == descriptorsAfter && threads == threadsAfter ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[2] : "";
    if (mode == "exits" && argc == 4)
        return Exits(argv[0], argv[1], std::atoi(argv[3]));
    if (mode == "unloads" && argc == 4) {
        Servers servers;
        const tarntest::ScratchFolder folder;
        return Child(argv[0], {argv[1], "unload", servers.lookups.Address(), servers.tickets.Address(), argv[3]},
                     folder, 0)
                       .EndedCleanly()
                   ? 0
                   : 1;
    }
    if (mode == "exit" && argc == 6) {
        const std::string kind = argv[4];
        return ExitWhileInside(argv[1], argv[3], kind == "lookups", kind == "login",
                               static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10)));
    }
    if (mode == "unload" && argc == 6)
        return LoadAndUnload(argv[1], argv[3], argv[4], std::atoi(argv[5]));
    std::fprintf(stderr, "usage: %s LIBRARY exits|unloads N\n", argv[0]);
    return 2;
}
