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
// the same machine identifier as before (or the one the run created). The
// last line sums up; the exit status is 0 only when every run passed.
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
#include <fstream>
#include <string>

#include <tarnclient/TarnClient.h>

#include "platform/Wait.h"
#include "tests/customer/CustomerHost.h"
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

enum Verdict : int { Passed = 0, WrongResult, Leaked, BrokenRegistry, Crashed, VerdictCount };
const char* const kVerdictNames[] = {"passed", "wrong results", "leaks", "broken registries", "crashes"};

// What a run tells the driver, in memory shared across fork.
struct Report {
    long count;
    int verdict;
    char machineId[64];
    char value[512];
    std::size_t sentSize; // the first request body that arrived, if any
    char sent[512];
    char detail[512];
};
Report* g_report = nullptr;

template <std::size_t N>
void Keep(char (&to)[N], const std::string& text) {
    std::snprintf(to, N, "%s", text.c_str());
}

void Note(int verdict, const std::string& detail) {
    if (g_report->verdict == Passed) {
        g_report->verdict = verdict;
        Keep(g_report->detail, detail);
    }
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

void RemoveDatabase(const std::string& file) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::remove((file + suffix).c_str());
}

void CopyFile(const std::string& from, const std::string& to) {
    RemoveDatabase(to);
    // No file to copy: a machine that never used the registry.
    std::ifstream in(from, std::ios::binary);
    if (!in)
        return;
    std::ofstream out(to, std::ios::binary);
    out << in.rdbuf();
}

// Runs body in a child process; Crashed when it dies of a signal.
template <class Body>
int InChild(Body&& body) {
    g_report->verdict = Passed;
    g_report->detail[0] = '\0';
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        std::fflush(nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::snprintf(g_report->detail, sizeof g_report->detail, "process ended with status %d", status);
        return Crashed;
    }
    return g_report->verdict;
}

// The undisturbed result, or a documented failure without any error report:
// a bare null, -1, -4, or a login the host gave up (its own answer 2); and
// every request that arrived is the undisturbed one, whole.
bool Acceptable(const Outcome& got, int errorsReported, const tarntest::ScriptedServer& server, const Report& expected) {
    for (const std::string& request : server.Requests()) {
        const std::string body = tarntest::RequestBody(request);
        if (!body.empty() && body != std::string(expected.sent, expected.sentSize))
            return false;
    }
    if (errorsReported != 0)
        return false;
    if (got.ok)
        return got.value == expected.value;
    return got.code == 0 || got.code == vcom::Failure || got.code == vcom::OutOfMemory || got.code == 2;
}

// One run of flow against a copy of start, the failAt-th allocation failing
// (none for 0). Without expected, only the undisturbed result passes.
void Run(const Flow& flow, const std::string& start, const std::string& file, long failAt, const Report* expected) {
    CopyFile(start, file);
    setenv("TARN_REGISTRY", file.c_str(), 1);
    const std::string before = StoredMachineId();
    {
        tarntest::ScriptedServer server;
        server.Script(tarntest::Answer(flow.reply));
        Display display;
        Arm(failAt);
        const Outcome outcome = flow.run(server.Address(), display);
        g_report->count = Disarm();
        int errorsReported = 0;
        for (const customertest::DisplayCall& call : display.calls)
            errorsReported += call.error != 0;
        Keep(g_report->value, outcome.value);
        const std::string sent = server.Requests().empty() ? "" : tarntest::RequestBody(server.Requests().front());
        g_report->sentSize = std::min(sent.size(), sizeof g_report->sent);
        std::memcpy(g_report->sent, sent.data(), g_report->sentSize);
        if (expected ? !Acceptable(outcome, errorsReported, server, *expected) : !outcome.ok)
            Note(WrongResult, (outcome.ok ? "value \"" + outcome.value + "\"" : "code " + std::to_string(outcome.code)) +
                                  ", " + std::to_string(errorsReported) + " errors reported");
    }
    if (__lsan_do_recoverable_leak_check() != 0)
        Note(Leaked, "leak reported above");
    const std::string after = StoredMachineId();
    if (!before.empty() && after != before)
        Note(BrokenRegistry, "machine identifier changed from " + before + " to " + after);
    Keep(g_report->machineId, after);
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

// A new process on the registry a run left behind.
void CheckRegistry(const std::string& file, const std::string& machineId) {
    setenv("TARN_REGISTRY", file.c_str(), 1);
    const std::string found = SecondRun();
    if (found.empty())
        Note(BrokenRegistry, "a new process cannot create a customer manager and identity");
    else if (!machineId.empty() && found != machineId)
        Note(BrokenRegistry, "a new process reads machine identifier " + found + ", not " + machineId);
}

// A file name of this run's own in the temporary folder.
std::string TempFile(const std::string& what) {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tarn-torture-" + std::to_string(getpid()) + what + ".db";
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
    void* shared = mmap(nullptr, 2 * sizeof(Report), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return 2;
    g_report = static_cast<Report*>(shared);
    Report& expected = g_report[1];
    const std::string empty = TempFile("-empty"), seed = TempFile("-seed"), file = TempFile("");
    if (InChild([&] {
            CopyFile(empty, seed);
            setenv("TARN_REGISTRY", seed.c_str(), 1);
            Keep(g_report->machineId, SecondRun());
        }) != Passed || !*g_report->machineId) {
        std::fprintf(stderr, "cannot prepare a registry\n");
        return 2;
    }
    const std::string seededId = g_report->machineId;
    const std::string& start = flow->seeded ? seed : empty;

    // The undisturbed run: its result, and how many allocations it makes.
    if (InChild([&] { Run(*flow, start, file, 0, nullptr); }) != Passed) {
        std::fprintf(stderr, "%s: the undisturbed run fails: %s\n", flow->name, g_report->detail);
        return 1;
    }
    expected = *g_report;
    const std::size_t total = std::size_t(expected.count);
    // Sampled evenly when there are more points than the run may take.
    const std::size_t stride = maxPoints > 0 && total > std::size_t(maxPoints) ? (total + maxPoints - 1) / maxPoints : 1;

    long tried = 0;
    long found[VerdictCount] = {};
    // TORTURE_ONLY=i tries the i-th point alone (0-based), to look at one failure.
    const char* only = std::getenv("TORTURE_ONLY");
    for (std::size_t i = only ? std::size_t(std::atol(only)) : 0; i < total; i += only ? total : stride) {
        int verdict = InChild([&] { Run(*flow, start, file, long(i) + 1, &expected); });
        if (verdict == Passed) {
            const std::string after = g_report->machineId;
            verdict = InChild([&] { CheckRegistry(file, after.empty() && flow->seeded ? seededId : after); });
        }
        ++tried;
        ++found[verdict];
        if (verdict != Passed)
            std::printf("%s at allocation %zu: %s: %s\n", flow->name, i + 1, kVerdictNames[verdict], g_report->detail);
    }
    for (const std::string& name : {empty, seed, file})
        RemoveDatabase(name);
    std::printf("torture %s: %ld allocations undisturbed, %ld of %zu points tried (every %zu.); "
                "%ld crashes, %ld leaks, %ld wrong results, %ld broken registries\n",
                flow->name, expected.count, tried, total, stride, found[Crashed], found[Leaked], found[WrongResult],
                found[BrokenRegistry]);
    return tried == found[Passed] ? 0 : 1;
}

} // namespace
} // namespace torture

int main(int argc, char** argv) { return torture::Main(argc, argv); }
