// Runs one end-to-end flow once to count its allocations, then once per
// failure point with that allocation failing (mode "alloc"), or once per byte
// offset of the server's reply with the connection closed or reset there
// (mode "net"). Every run is a process of its own, forked from this one
// before it touched the library, with a fresh copy of the registry file.
//
//   tarn_torture alloc|net FLOW [MAX_POINTS]
//
// A run passes when the flow gives the undisturbed result or a documented
// failure code, the host is told of no application error that the server did
// not send, nothing leaks, and a new process afterwards finds a usable
// registry with the same machine identifier as before (or the one the run
// created). The last line sums up; the exit status is 0 only when every run
// passed.
#include <sanitizer/lsan_interface.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <string>

#include <tarnclient/TarnClient.h>

#include "platform/Wait.h"
#include "tests/support/RegistryValues.h"
#include "tests/torture/FailingAllocator.h"
#include "tests/torture/Flows.h"

namespace torture {
namespace {

using tarntest::kConfigKey;

enum Verdict : int { Passed = 0, WrongResult, Leaked, BrokenRegistry, Crashed, VerdictCount };
const char* const kVerdictNames[] = {"passed", "wrong results", "leaks", "broken registries", "crashes"};

// What a run tells the driver, in memory shared across fork.
struct Report {
    long count;
    int verdict;
    char machineId[64];
    char value[512];
    char sent[256];
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
        if (!tarntest::GetRegistryValue(kConfigKey, "Machine ID", bytes))
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

// One run of flow against a copy of seed; fault is an allocation number
// (alloc) or a reply cut (net). Without expected, any failure is wrong.
void Run(const Flow& flow, const std::string& seed, const std::string& file, long failAt, const Cut* cut,
         const Outcome* expected) {
    CopyFile(seed, file);
    setenv("TARN_REGISTRY", file.c_str(), 1);
    const std::string before = StoredMachineId();
    {
        Outcome outcome = RunFlow(flow, cut, failAt);
        g_report->count = outcome.allocations;
        Keep(g_report->value, outcome.value);
        Keep(g_report->sent, outcome.sent.empty() ? "" : outcome.sent.front());
        if (expected ? !Acceptable(outcome, *expected) : !outcome.ok)
            Note(WrongResult, Describe(outcome));
    }
    if (__lsan_do_recoverable_leak_check() != 0)
        Note(Leaked, "leak reported above");
    const std::string after = StoredMachineId();
    if (!before.empty() && after != before)
        Note(BrokenRegistry, "machine identifier changed from " + before + " to " + after);
    Keep(g_report->machineId, after);
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

// The report shared with every child; false when it cannot be made.
bool ShareReport() {
    void* shared = mmap(nullptr, sizeof(Report), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    g_report = shared == MAP_FAILED ? nullptr : static_cast<Report*>(shared);
    return g_report != nullptr;
}

// A file name of this run's own in the temporary folder.
std::string TempFile(const std::string& what) {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tarn-torture-" + std::to_string(getpid()) + what + ".db";
}

int Main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const Flow* flow = argc > 2 ? FindFlow(argv[2]) : nullptr;
    const long maxPoints = argc > 3 ? std::atol(argv[3]) : 0;
    if ((mode != "alloc" && mode != "net") || !flow) {
        std::fprintf(stderr, "usage: tarn_torture alloc|net FLOW [MAX_POINTS]\n");
        return 2;
    }
    Install();
    // Short enough that a point which reaches a wait stays cheap, long enough
    // that an undisturbed exchange on a busy machine never reaches one.
    platform::SetTimeScalePpm(10000);
    if (!ShareReport())
        return 2;
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
    const std::string& start = Seeded(*flow) ? seed : empty;

    // The undisturbed run: its result, and how many allocations it makes.
    if (InChild([&] { Run(*flow, start, file, 0, nullptr, nullptr); }) != Passed) {
        std::fprintf(stderr, "%s: the undisturbed run fails: %s\n", argv[2], g_report->detail);
        return 1;
    }
    Outcome expected;
    expected.ok = true;
    expected.value = g_report->value;
    if (*g_report->sent)
        expected.sent.push_back(g_report->sent);
    const long allocations = g_report->count;

    // Point i fails allocation i + 1, or cuts the reply at byte i % size
    // (closed in the first half, reset in the second).
    const std::size_t replySize = FlowReply(*flow).size();
    const std::size_t total = mode == "alloc" ? std::size_t(allocations) : 2 * replySize;
    // Sampled evenly when there are more points than the run may take.
    const std::size_t stride = maxPoints > 0 && total > std::size_t(maxPoints) ? (total + maxPoints - 1) / maxPoints : 1;

    long tried = 0;
    long found[VerdictCount] = {};
    // TORTURE_ONLY=i tries the i-th point alone (0-based), to look at one failure.
    const char* only = std::getenv("TORTURE_ONLY");
    for (std::size_t i = only ? std::size_t(std::atol(only)) : 0; i < total; i += only ? total : stride) {
        const long failAt = mode == "alloc" ? long(i) + 1 : 0;
        const Cut net{replySize ? i % replySize : 0, i >= replySize};
        const Cut* cut = mode == "net" ? &net : nullptr;
        int verdict = InChild([&] { Run(*flow, start, file, failAt, cut, &expected); });
        if (verdict == Passed && mode == "alloc") {
            const std::string after = g_report->machineId;
            verdict = InChild([&] { CheckRegistry(file, after.empty() && Seeded(*flow) ? seededId : after); });
        }
        ++tried;
        ++found[verdict];
        if (verdict != Passed)
            std::printf("%s %s at %s: %s: %s\n", mode.c_str(), argv[2],
                        cut ? (std::to_string(cut->offset) + (cut->reset ? " (reset)" : " (close)")).c_str()
                            : ("allocation " + std::to_string(failAt)).c_str(),
                        kVerdictNames[verdict], g_report->detail);
    }
    for (const std::string& name : {empty, seed, file})
        RemoveDatabase(name);
    std::printf("torture %s %s: %ld allocations undisturbed, %ld of %zu points tried (every %zu.); "
                "%ld crashes, %ld leaks, %ld wrong results, %ld broken registries\n",
                mode.c_str(), argv[2], allocations, tried, total, stride, found[Crashed], found[Leaked],
                found[WrongResult], found[BrokenRegistry]);
    return tried == found[Passed] ? 0 : 1;
}

} // namespace
} // namespace torture

int main(int argc, char** argv) { return torture::Main(argc, argv); }
