// A Windows host of the library as a game's launcher would write it: the
// public header and nothing else, no C or C++ run-time, only kernel32. It is
// built twice, by clang in the Microsoft ABI (as Visual Studio builds) and by
// MinGW g++, each linked through an import library, so both compilers are held
// to the one table the DLL has.
//
//   windows-host.exe [--configured] HOST:PORT
//   windows-host.exe --stop HOST:PORT
//
// HOST:PORT is a tarn-devserver with its built-in data. With --configured the
// host gives the library no address, as most hosts do: the library must find
// HOST:PORT as "QAS Address" in the registry. With --stop it is a server that
// never answers, and the host stops its calls from a second thread, bounds
// them with a deadline, reads why they failed and watches the trace sink.
//
// One line per check, and one naming the machine identifier; the exit code
// is the number of failed checks.
#include <tarnclient/TarnClient.h>

using namespace tarnclient;
using vcom::IComponent;

extern "C" {
__declspec(dllimport) void* __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* data, unsigned long size, unsigned long* written,
                                              void* overlapped);
__declspec(dllimport) char* __stdcall GetCommandLineA();
__declspec(dllimport) void __stdcall ExitProcess(unsigned int code);
__declspec(dllimport) void* __stdcall CreateThread(void* security, decltype(sizeof 0) stack,
                                                   unsigned long(__stdcall* start)(void*), void* parameter,
                                                   unsigned long flags, unsigned long* id);
__declspec(dllimport) unsigned long __stdcall WaitForSingleObject(void* handle, unsigned long ms);
__declspec(dllimport) int __stdcall CloseHandle(void* handle);
__declspec(dllimport) void __stdcall Sleep(unsigned long ms);

// What the compilers may call without a run-time. volatile keeps either
// compiler from turning the loops back into calls to themselves.
void* memset(void* to, int value, decltype(sizeof 0) size) {
    volatile char* p = static_cast<char*>(to);
    while (size--)
        *p++ = static_cast<char>(value);
    return to;
}
void* memcpy(void* to, const void* from, decltype(sizeof 0) size) {
    volatile char* p = static_cast<char*>(to);
    const char* q = static_cast<const char*>(from);
    while (size--)
        *p++ = *q++;
    return to;
}
int _purecall() { ExitProcess(99); return 0; }
void __cxa_pure_virtual() { ExitProcess(99); }
}

namespace {

int Length(const char* text) {
    int n = 0;
    while (text && text[n])
        ++n;
    return n;
}

bool Same(const char* a, const char* b) {
    if (!a || !b)
        return a == b;
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

// Frees a text the library handed out after comparing it.
bool TakeSame(char* text, const char* expected) {
    const bool same = Same(text, expected);
    TarnClientLib_MemFree(text);
    return same;
}

// 32 upper-case hexadecimal digits.
bool IsTicket(const char* text) {
    int i = 0;
    for (; text && text[i]; ++i)
        if (!((text[i] >= '0' && text[i] <= '9') || (text[i] >= 'A' && text[i] <= 'F')))
            return false;
    return i == 32;
}

void Write(const char* text) {
    unsigned long written = 0;
    WriteFile(GetStdHandle(static_cast<unsigned long>(-11)), text, static_cast<unsigned long>(Length(text)), &written,
              nullptr);
}

void WriteNumber(int n) {
    char digits[12] = {};
    int at = 11;
    do
        digits[--at] = static_cast<char>('0' + n % 10);
    while (n /= 10);
    Write(digits + at);
}

struct Report {
    int checks = 0;
    int failed = 0;
    void Check(bool ok, const char* what) {
        ++checks;
        failed += !ok;
        Write(ok ? "ok   " : "FAIL ");
        Write(what);
        Write("\n");
    }
    unsigned int Finish() {
        Write(failed ? "FAILED: " : "passed: ");
        WriteNumber(checks - failed);
        Write(" of ");
        WriteNumber(checks);
        Write(" checks\n");
        return static_cast<unsigned int>(failed);
    }
};

// Logs in as alice, with a wrong password first.
class ScriptedLogin : public DisplayCallback {
public:
    int prompts = 0;
    int errors = 0;
    int32 lastError = 0;
    int32 lastZero = -1;

    int32 PromptLogin(LoginPrompt* prompt) override {
        ++prompts;
        Copy(prompt->publicName, "alice");
        Copy(prompt->password, prompts == 1 ? "notmypassword" : "wonderland1");
        prompt->action = 0;
        return prompts <= 2 ? 0 : 2;
    }
    int32 ReportError(int32 code, int32 zero) override {
        ++errors;
        lastError = code;
        lastZero = zero;
        return 0;
    }

private:
    static void Copy(char (&field)[40], const char* text) {
        int i = 0;
        for (; text[i] && i < 39; ++i)
            field[i] = text[i];
        field[i] = '\0';
    }
};

// server: the address given to the library, null for the configured one.
void Lookups(Report& r, ICoreFactory* core, const char* server) {
    int32 err = 99;
    auto manager = Ref<IAddressManager>::Adopt(core->CreateAddressManager(IAddressManager::Id, &err, server));
    r.Check(manager && err == vcom::Success, "CreateAddressManager");
    if (!manager)
        return;

    Ref<IServerAddress> first(manager->GetServerAddress("TARNQUEST", "game", "any", nullptr));
    r.Check(first && TakeSame(first->GetName(), "alpha") && first->GetUc() == 12 && first->GetPort() == 7001,
            "GetServerAddress: the first server of the category");
    r.Check(first && first.detach()->Release() == 0, "a looked-up server's last Release gives 0");

    Ref<IServerAddressList> list(manager->GetServerAddressEnum("TARNQUEST", "game", "any", nullptr));
    r.Check(list && list->Count() == 3 && !list->IsEmpty() && list->Begin() == 0 && list->End() == 3,
            "GetServerAddressEnum: Count, IsEmpty, Begin, End");
    if (!list)
        return;
    const char* const forward[] = {"alpha", "beta", "gamma"};
    bool inOrder = true;
    int32 pos = list->Begin();
    for (const char* name : forward) {
        Ref<IServerAddress> item(list->Next(&pos));
        inOrder = inOrder && item && TakeSame(item->GetName(), name);
    }
    r.Check(inOrder && !list->Next(&pos) && pos == list->End(), "Next walks alpha, beta, gamma to the end");

    bool backwards = true;
    Ref<IServerAddress> kept;
    for (int i = 2; i >= 0; --i) {
        kept = Ref<IServerAddress>(list->Prev(&pos));
        backwards = backwards && kept && TakeSame(kept->GetName(), forward[i]);
    }
    r.Check(backwards && !list->Prev(&pos) && pos == 0, "Prev walks back to the beginning");
    r.Check(list.detach()->Release() == 0 && kept.detach()->Release() == 0,
            "the list's and then an element's last Release give 0");
    r.Check(manager.detach()->Release() == 0, "the address manager's last Release gives 0");
}

// address: where the server location must say the server is.
void Records(Report& r, ICoreFactory* core, const char* server, const char* address) {
    int32 err = 99;
    auto record = Ref<IServerAddress>::Adopt(
        core->CreateServerAddress(IServerAddress::Id, "alpha", "10.1.2.3:4567", &err, 9));
    r.Check(record && err == vcom::Success, "CreateServerAddress");
    if (record) {
        r.Check(TakeSame(record->GetName(), "alpha") && TakeSame(record->GetAddress(), "10.1.2.3:4567") &&
                    record->GetPort() == 4567 && TakeSame(record->GetHost(), "10.1.2.3") && record->GetUc() == 9,
                "a server record's five getters");
        r.Check(record.detach()->Release() == 0, "a server record's last Release gives 0");
    }

    auto location = Ref<IServerLocation>::Adopt(core->GetConfiguration(IServerLocation::Id, &err, server));
    r.Check(location && TakeSame(location->GetAddress(), address) && TakeSame(location->GetHost(), "127.0.0.1"),
            "GetConfiguration: the server location");

    auto identity = Ref<IMachineIdentity>::Adopt(core->CreateMachineIdentity(IMachineIdentity::Id, &err));
    char* id = identity ? identity->GetMachineId() : nullptr;
    r.Check(Length(id) == 38 && id[0] == '{' && id[37] == '}' && id[9] == '-', "GetMachineId: a braced GUID");
    // Hosts of both widths on one computer must print the same line.
    Write("machine id ");
    Write(id ? id : "(none)");
    Write("\n");
    TarnClientLib_MemFree(id);
    r.Check(identity && identity.detach()->Release() == 0, "the machine identity's last Release gives 0");
}

void Tickets(Report& r, IComponentFactory* factory, const char* server, const char* address) {
    int32 err = 99;
    auto manager = Ref<ICustomerManager>::Adopt(factory->CreateCustomerManager(ICustomerManager::Id, &err, server));
    r.Check(manager && err == vcom::Success, "CreateCustomerManager");
    if (!manager)
        return;
    Ref<ICustomerAccount> account = manager.As<ICustomerAccount>(&err);
    r.Check(account && account->Reserved4(1, 2, 3) == vcom::NotImplemented, "ICustomerAccount of the same object");
    Ref<IServerLocation> location = manager.As<IServerLocation>(&err);
    r.Check(location && TakeSame(location->GetAddress(), address), "the customer manager's IServerLocation");

    ScriptedLogin login;
    char* ticket = nullptr;
    r.Check(manager->GetTicket("TARNQUEST", "launch", "ctx-alice-1", nullptr, 0, &login, &ticket) == vcom::Success &&
                IsTicket(ticket) && login.prompts == 0,
            "GetTicket from a context id");
    TarnClientLib_MemFree(ticket);

    ticket = nullptr;
    r.Check(manager->GetTicket("TARNQUEST", "launch", nullptr, "en", 0, &login, &ticket) == vcom::Success &&
                IsTicket(ticket),
            "GetTicket through the host's login display");
    r.Check(login.prompts == 2 && login.errors == 1 && login.lastError == WrongPassword && login.lastZero == 0,
            "PromptLogin twice, ReportError(2006, 0) between");

    char* stored = nullptr;
    r.Check(manager->GetTicket("TARNQUEST", "launch", nullptr, nullptr, 1, &login, &stored) == 1 && !stored,
            "no stored ticket: GetTicket did not store it");
    r.Check(manager->PutTicket("TARNQUEST", "launch", ticket) == vcom::Success, "PutTicket");
    r.Check(manager->GetTicket("TARNQUEST", "launch", nullptr, nullptr, 1, &login, &stored) == vcom::Success &&
                Same(stored, ticket),
            "GetTicket gives the stored ticket once");
    TarnClientLib_MemFree(stored);
    r.Check(manager->RemoveTicket("TARNQUEST", "launch") == 1, "RemoveTicket: 1 with nothing stored");
    r.Check(manager->PutTicket("TARNQUEST", "launch", ticket) == vcom::Success &&
                manager->RemoveTicket("TARNQUEST", "launch") == vcom::Success &&
                manager->GetTicket("TARNQUEST", "launch", nullptr, nullptr, 1, &login, &stored) == 1,
            "RemoveTicket: 0, and the ticket is gone");
    TarnClientLib_MemFree(ticket);

    r.Check(account.detach()->Release() == 2 && location.detach()->Release() == 1 &&
                manager.detach()->Release() == 0,
            "Release through any interface counts for the object; the last gives 0");
}

// Counts trace lines; the library calls it on the thread that traced.
void __cdecl CountLines(void* context, const char*) { ++*static_cast<volatile int*>(context); }

// A lookup on a thread of its own, as a launcher keeps its window alive:
// 1 when a list came back, 0 for null.
struct Worker {
    IAddressManager* manager;
    volatile int result;
    static unsigned long __stdcall Run(void* self) {
        Worker& w = *static_cast<Worker*>(self);
        Ref<IServerAddressList> list(w.manager->GetServerAddressEnum("TARNQUEST", "game", "any", nullptr));
        w.result = list ? 1 : 0;
        return 0;
    }
};

bool LastFailureIs(ICallControl* control, int32 kind, const char* start) {
    int32 got = -1;
    char* cause = control->GetLastFailure(&got);
    bool starts = cause != nullptr;
    for (int i = 0; starts && start[i]; ++i)
        starts = cause[i] == start[i];
    TarnClientLib_MemFree(cause);
    return got == kind && starts;
}

// Against a server that never answers: a lookup stopped from another thread,
// one past its deadline, the cause of each, and the trace sink.
unsigned int RunStops(const char* server) {
    Report r;
    int32 err = 99;
    Ref<ICoreFactory> core = Ref<IComponentFactory>(TarnClientLib_GetComponentFactory()).As<ICoreFactory>(&err);
    auto manager = Ref<IAddressManager>::Adopt(core->CreateAddressManager(IAddressManager::Id, &err, server));
    Ref<ICallControl> control = manager.As<ICallControl>(&err);
    r.Check(control && control->Cancel() == 1, "ICallControl of the address manager; Cancel with nothing in flight: 1");
    if (!control)
        return r.Finish();

    volatile int lines = 0;
    TarnClientLib_SetTraceSink(&CountLines, const_cast<int*>(&lines));
    Worker worker{manager.get(), 99};
    void* thread = CreateThread(nullptr, 0, &Worker::Run, &worker, 0, nullptr);
    // 1 until the worker's call has begun.
    for (int tries = 0; tries < 500 && control->Cancel() != 0; ++tries)
        Sleep(10);
    r.Check(thread && WaitForSingleObject(thread, 10000) == 0 && worker.result == 0 &&
                LastFailureIs(control.get(), CallCancelled, "cancelled while "),
            "a lookup cancelled from another thread: null, and GetLastFailure says so");
    CloseHandle(thread);
    TarnClientLib_SetTraceSink(nullptr, nullptr);
    const int seen = lines;
    r.Check(seen > 0, "the trace sink received the lookup's lines");

    r.Check(control->SetDeadline(-1) == vcom::InvalidArgument && control->SetDeadline(300) == vcom::Success,
            "SetDeadline: -5 for a negative time, 0 otherwise");
    Ref<IServerAddressList> none(manager->GetServerAddressEnum("TARNQUEST", "game", "any", nullptr));
    r.Check(!none && LastFailureIs(control.get(), CallPastDeadline, "past the deadline while "),
            "a lookup past its deadline: null, and GetLastFailure says so");
    r.Check(lines == seen, "a removed sink receives nothing more");
    return r.Finish();
}

unsigned int Run(const char* address, bool configured) {
    const char* server = configured ? nullptr : address;
    Report r;
    Ref<IComponentFactory> factory(TarnClientLib_GetComponentFactory());
    r.Check(factory && factory->Supports(0) && factory->Supports(ICoreFactory::Id) &&
                !factory->Supports(IServerLocation::Id),
            "the factory's Supports");
    r.Check(factory->Reserved(1, 2, 3, 4, 5) == vcom::NotImplemented, "Reserved gives -3");

    int32 err = 99;
    const IComponentFactory* constFactory = factory.get();
    Ref<ICoreFactory> core(static_cast<ICoreFactory*>(constFactory->QueryInterface(ICoreFactory::Id, &err)));
    r.Check(core && err == vcom::Success, "QueryInterface, const entry");
    r.Check(!factory->QueryInterface(12345, &err) && err == vcom::Failure, "QueryInterface of an unknown id: -1");
    r.Check(factory.As<IComponentFactory>().get() == factory.get(), "QueryInterface, modifying entry");

    if (core) {
        Lookups(r, core.get(), server);
        Records(r, core.get(), server, address);
        Tickets(r, factory.get(), server, address);
        r.Check(core.detach()->Release() == 1, "Release of the core factory");
    }
    r.Check(factory.detach()->Release() == 0, "the factory's last Release gives 0");
    return r.Finish();
}

// The last two words of the command line, in place (the program's path may
// hold spaces).
void LastTwoWords(char* line, const char** before, const char** last) {
    *before = *last = line;
    for (char* p = line; *p; ++p)
        if (*p == ' ' && p[1] && p[1] != ' ') {
            *p = '\0';
            *before = *last;
            *last = p + 1;
        }
}

} // namespace

extern "C" void HostEntry() {
    const char* option = nullptr;
    const char* address = nullptr;
    LastTwoWords(GetCommandLineA(), &option, &address);
    ExitProcess(Same(option, "--stop") ? RunStops(address) : Run(address, Same(option, "--configured")));
}
