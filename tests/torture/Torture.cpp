// Runs one end-to-end flow, as a host runs it through the public interfaces
// against a scripted loopback server, once to count its allocations, then
// once per failure point with that allocation failing. Every run is a
// process of its own, forked from this one before it touched the library,
// with a fresh copy of the registry file.
//
//   tarn_torture FLOW [MAX_POINTS]
//
// A run passes when the flow gives the undisturbed result or a documented
// failure code, the host is told of no application error (the server sends
// none), every request that reaches the server is the undisturbed one,
// nothing leaks, and a new process afterwards finds a usable registry with
// the same machine identifier as before (or the one the run created). A run
// that fails says why; the last line sums up, and the exit status is 0 only
// when every run passed.
// (A reply cut at any byte: the transport tests and the reply fuzz target.)
#include <sanitizer/lsan_interface.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include <tarnclient/TarnClient.h>

#include "platform/Wait.h"
#include "tests/customer/CustomerHost.h"
#include "tests/support/Files.h"
#include "tests/support/RegistryValues.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"
#include "tests/torture/FailingAllocator.h"

namespace torture {
namespace {

using namespace tarnclient;

// What the host got: a value as text, or a failure code (0: a bare null).
struct Outcome {
    bool ok = false;
    std::string value{};
    std::int32_t code = 0;
};

Outcome Failed(std::int32_t code) {
    Paused harness;
    return {.code = code};
}
Outcome Succeeded(std::string value) {
    Paused harness;
    return {.ok = true, .value = std::move(value)};
}
std::string Take(char* text) {
    Paused harness;
    return tarntest::Take(text);
}

// The host's display, recording without disturbing the count.
class Display : public customertest::ScriptedDisplay {
public:
    std::int32_t PromptLogin(LoginPrompt* prompt) override {
        Paused harness;
        return ScriptedDisplay::PromptLogin(prompt);
    }
    std::int32_t ReportError(std::int32_t code, std::int32_t zero) override {
        Paused harness;
        return ScriptedDisplay::ReportError(code, zero);
    }
};

Outcome LookupThree(const std::string& address, Display&) {
    std::int32_t err = 0;
    Ref<ICoreFactory> core = tarntest::Core(&err);
    auto manager =
        Ref<IAddressManager>::Adopt(core ? core->CreateAddressManager(IAddressManager::Id, &err, address.c_str()) : nullptr);
    if (!manager)
        return Failed(err);
    Ref<IServerAddressList> list(manager->GetServerAddressEnum("TARNQUEST", "game", "any", nullptr));
    if (!list)
        return Failed(0);
    std::string all;
    std::int32_t position = list->Begin();
    while (Ref<IServerAddress> server{list->Next(&position)}) {
        // A getter that cannot copy its text answers null, as documented.
        char* name = server->GetName();
        char* at = server->GetAddress();
        if (!name || !at) {
            TarnClientLib_MemFree(name);
            TarnClientLib_MemFree(at);
            return Failed(0);
        }
        const std::int32_t uc = server->GetUc();
        Paused harness;
        all += Take(name) + " " + Take(at) + " " + std::to_string(uc) + "; ";
    }
    return Succeeded(std::move(all));
}

Outcome Ticket(const std::string& address, Display& display, const char* contextId) {
    std::int32_t err = 0;
    Ref<ICustomerManager> manager = customertest::NewCustomerManager(address, &err);
    if (!manager)
        return Failed(err);
    char* ticket = nullptr;
    const std::int32_t result = manager->GetTicket("game", "Finals", contextId, nullptr, 0, &display, &ticket);
    const std::string text = Take(ticket);
    return result == 0 ? Succeeded(text) : Failed(result);
}

Outcome ContextTicket(const std::string& address, Display& display) { return Ticket(address, display, "ctx-7"); }

Outcome Login(const std::string& address, Display& display) {
    {
        Paused harness;
        display.Then(customertest::ScriptedDisplay::Login("alice", "pw;1"));
    }
    return Ticket(address, display, nullptr);
}

Outcome NewCustomerManager(const std::string& address, Display&) {
    std::int32_t err = 0;
    return customertest::NewCustomerManager(address, &err) ? Succeeded("created") : Failed(err);
}

const std::string kTicket =
    tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"key", "TICKET-42"}, {"lifetime", "3600"}}));

const struct Flow {
    const char* name;
    bool seeded;       // starts from a registry with an identity and servlet names
    std::string reply; // what the server answers
    Outcome (*run)(const std::string& address, Display& display);
} kFlows[] = {
    {.name = "lookup-three", .seeded = true,
     .reply = tarntest::HttpReply(200, tarntest::ReplyRecordBytes(2, 0, {{"serverlist",
         R"(<servers><server name="east-1" address="10.0.0.5:7000" uc="12"/>)"
         R"(<server name="west-2" address="192.168.1.20:80" uc="-3"/><server name="north" address=":9" uc="0"/></servers>)"}})),
     .run = LookupThree},
    {.name = "context-ticket", .seeded = true, .reply = kTicket, .run = ContextTicket},
    {.name = "login", .seeded = true, .reply = kTicket, .run = Login},
    // From an empty registry: the servlet names and a new machine identifier are made.
    {.name = "customer-manager", .seeded = false, .reply = "", .run = NewCustomerManager},
};

// What the undisturbed run found, shared across fork with the runs after it.
struct Shared {
    long allocations;
    char value[512];
    std::size_t sentSize; // the body of the request that reached the server, if one did
    char sent[512];
    char machineId[64];     // the seeded registry's
    char lastMachineId[64]; // the last run's, or empty
};
Shared* g_shared = nullptr;

template <std::size_t N>
void Keep(char (&to)[N], const std::string& text) {
    std::snprintf(to, N, "%s", text.c_str());
}

// Ends a run that found a fault, saying which.
[[noreturn]] void Fault(const std::string& what) {
    std::printf("  %s\n", what.c_str());
    std::fflush(nullptr);
    _exit(1);
}

// Runs body in a process of its own; true when it ended with status 0.
template <class Body>
bool InChild(Body&& body) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        std::fflush(nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status))
        std::printf("  the process ended with signal %d\n", WTERMSIG(status));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Empty when there is none, or no registry yet.
std::string StoredMachineId() {
    std::string bytes;
    try {
        if (!tarntest::GetRegistryValue(tarntest::kConfigKey, "Machine ID", bytes))
            return "";
    } catch (const std::exception&) {
        return "";
    }
    return bytes.substr(0, bytes.find('\0'));
}

// A fresh copy of the registry file from (none where there is none).
void CopyFile(const std::string& from, const std::string& to) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(to + suffix);
    if (std::filesystem::exists(from))
        std::filesystem::copy_file(from, to);
}

// One run of flow against a copy of start, the failAt-th allocation failing
// (none for 0, the undisturbed run, which records what it got).
void Run(const Flow& flow, const std::string& start, const std::string& file, long failAt) {
    CopyFile(start, file);
    setenv("TARN_REGISTRY", file.c_str(), 1);
    const std::string before = StoredMachineId();
    {
        tarntest::ScriptedServer server;
        server.Script(tarntest::Answer(flow.reply));
        Display display;
        Arm(failAt);
        const Outcome got = flow.run(server.Address(), display);
        const long allocations = Disarm();
        const std::vector<std::string> requests = server.Requests();
        if (failAt == 0) {
            if (!got.ok)
                Fault("the undisturbed run fails with code " + std::to_string(got.code));
            g_shared->allocations = allocations;
            Keep(g_shared->value, got.value);
            const std::string sent = requests.empty() ? "" : tarntest::RequestBody(requests.front());
            g_shared->sentSize = std::min(sent.size(), sizeof g_shared->sent);
            std::memcpy(g_shared->sent, sent.data(), g_shared->sentSize);
        }
        // The undisturbed result, or a bare null, -1, -4, or a login the host gave up (its own answer 2).
        if (got.ok ? got.value != g_shared->value
                   : got.code != 0 && got.code != vcom::Failure && got.code != vcom::OutOfMemory && got.code != 2)
            Fault(got.ok ? "the value \"" + got.value + "\"" : "the code " + std::to_string(got.code));
        for (const customertest::DisplayCall& call : display.calls)
            if (call.error != 0)
                Fault("the host was told of error " + std::to_string(call.error) + ", which the server never sent");
        // A request goes out whole, as undisturbed, or not at all.
        for (const std::string& request : requests)
            if (!tarntest::RequestBody(request).empty() &&
                tarntest::RequestBody(request) != std::string(g_shared->sent, g_shared->sentSize))
                Fault("a request other than the undisturbed one");
    }
    if (__lsan_do_recoverable_leak_check() != 0)
        Fault("a leak, reported above");
    const std::string after = StoredMachineId();
    if (!before.empty() && after != before)
        Fault("the machine identifier changed from " + before + " to " + after);
    Keep(g_shared->lastMachineId, after);
}

// A later process: creates a customer manager and an identity without any
// fault; the machine identifier, or empty when either fails.
std::string SecondRun() {
    std::int32_t err = 0;
    if (!customertest::NewCustomerManager("127.0.0.1:1", &err))
        return "";
    const std::string id = customertest::MachineId(&err);
    return id == "<null>" ? "" : id;
}

int Main(int argc, char** argv) {
    const Flow* flow = nullptr;
    for (const Flow& candidate : kFlows)
        if (argc > 1 && std::string(argv[1]) == candidate.name)
            flow = &candidate;
    const long maxPoints = argc > 2 ? std::atol(argv[2]) : 0;
    if (!flow) {
        std::fprintf(stderr, "usage: tarn_torture FLOW [MAX_POINTS]\n");
        return 2;
    }
    Install();
    // Short enough that a point which reaches a wait stays cheap, long enough
    // that an undisturbed exchange on a busy machine never reaches one.
    platform::SetTimeScalePpm(10000);
    void* shared = mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return 2;
    g_shared = static_cast<Shared*>(shared);
    const tarntest::ScratchFolder folder;
    const std::string empty = folder / "empty.db", seed = folder / "seed.db", file = folder / "run.db";
    if (!InChild([&] {
            setenv("TARN_REGISTRY", seed.c_str(), 1);
            Keep(g_shared->machineId, SecondRun());
        }) || !*g_shared->machineId) {
        std::fprintf(stderr, "cannot prepare a registry\n");
        return 2;
    }
    const std::string& start = flow->seeded ? seed : empty;
    if (!InChild([&] { Run(*flow, start, file, 0); }))
        return 1;
    const std::size_t total = std::size_t(g_shared->allocations);
    // Sampled evenly when there are more points than the run may take.
    const std::size_t stride = maxPoints > 0 && total > std::size_t(maxPoints) ? (total + maxPoints - 1) / maxPoints : 1;
    long tried = 0, failed = 0;
    for (std::size_t i = 0; i < total; i += stride, ++tried) {
        bool passed = InChild([&] { Run(*flow, start, file, long(i) + 1); });
        // A new process finds a usable registry with the identifier the run left (the seeded one if it left none).
        const std::string left = *g_shared->lastMachineId || !flow->seeded ? g_shared->lastMachineId : g_shared->machineId;
        passed = passed && InChild([&] {
                     setenv("TARN_REGISTRY", file.c_str(), 1);
                     const std::string found = SecondRun();
                     if (found.empty() || (!left.empty() && found != left))
                         Fault("a new process finds the registry unusable or another identifier: \"" + found + "\"");
                 });
        if (!passed) {
            ++failed;
            std::printf("%s: the fault above, with allocation %zu failing\n", flow->name, i + 1);
        }
    }
    std::printf("torture %s: %ld allocations undisturbed, %ld of %zu points tried (every %zu.), %ld failed\n",
                flow->name, g_shared->allocations, tried, total, stride, failed);
    return failed == 0 ? 0 : 1;
}

} // namespace
} // namespace torture

int main(int argc, char** argv) { return torture::Main(argc, argv); }
