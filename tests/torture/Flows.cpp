#include "tests/torture/Flows.h"

#include <cstdlib>
#include <cstring>

#include <tarnclient/TarnClient.h>

#include "tests/customer/CustomerHost.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"
#include "tests/torture/FailingAllocator.h"
#include "vcom/Ref.h"

namespace torture {

using tarnclient::IAddressManager;
using tarnclient::ICoreFactory;
using tarnclient::ICustomerManager;
using tarnclient::IMachineIdentity;
using tarnclient::IServerAddress;
using tarnclient::IServerAddressList;

struct Flow {
    const char* name;
    bool seeded;        // starts from a registry with an identity and servlet names
    std::string reply;  // what the server answers
    Outcome (*run)(const std::string& address, customertest::ScriptedDisplay& display);
};

namespace {

const char kAddressProduct[] = "TARNQUEST";

std::string AddressReply(const std::string& servers) {
    return tarntest::HttpReply(
        200, tarntest::ReplyRecordBytes(2, 0, {{"serverlist", "<servers>" + servers + "</servers>"}}));
}

std::string Take(char* text) {
    Paused harness;
    return tarntest::Take(text);
}

// The host's display, recording without disturbing the count.
class Display : public customertest::ScriptedDisplay {
public:
    std::int32_t PromptLogin(tarnclient::LoginPrompt* prompt) override {
        Paused harness;
        return ScriptedDisplay::PromptLogin(prompt);
    }
    std::int32_t ReportError(std::int32_t code, std::int32_t zero) override {
        Paused harness;
        return ScriptedDisplay::ReportError(code, zero);
    }
};

Outcome Failed(std::int32_t code) {
    Paused harness;
    Outcome outcome;
    outcome.code = code;
    return outcome;
}
Outcome Succeeded(std::string value) {
    Paused harness;
    Outcome outcome;
    outcome.ok = true;
    outcome.value = std::move(value);
    return outcome;
}

vcom::ref<IAddressManager> AddressManager(const std::string& address, std::int32_t* err) {
    tarnclient::Ref<ICoreFactory> core = customertest::Core(err);
    if (!core)
        return {};
    return vcom::ref<IAddressManager>(
        static_cast<IAddressManager*>(core->CreateAddressManager(IAddressManager::Id, err, address.c_str())));
}

std::string Describe(IServerAddress* server) {
    // A getter that cannot copy its text answers null, as documented.
    char* name = server->GetName();
    char* address = server->GetAddress();
    const std::int32_t uc = server->GetUc();
    Paused harness;
    if (!name || !address) {
        TarnClientLib_MemFree(name);
        TarnClientLib_MemFree(address);
        return "";
    }
    return Take(name) + " " + Take(address) + " " + std::to_string(uc);
}

Outcome LookupThree(const std::string& address, customertest::ScriptedDisplay&) {
    std::int32_t err = 0;
    vcom::ref<IAddressManager> manager = AddressManager(address, &err);
    if (!manager)
        return Failed(err);
    vcom::ref<IServerAddressList> list(manager->GetServerAddressEnum(kAddressProduct, "game", "any", nullptr));
    if (!list)
        return Failed(0);
    std::string all;
    std::int32_t position = list->Begin();
    while (IServerAddress* server = list->Next(&position)) {
        vcom::ref<IServerAddress> held(server);
        const std::string one = Describe(server);
        if (one.empty())
            return Failed(0);
        Paused harness;
        all += one + "; ";
    }
    return Succeeded(std::move(all));
}

vcom::ref<ICustomerManager> CustomerManager(const std::string& address, std::int32_t* err) {
    return vcom::ref<ICustomerManager>(customertest::NewCustomerManager<ICustomerManager>(address, err).detach());
}

Outcome Ticket(const std::string& address, customertest::ScriptedDisplay& display, const char* contextId) {
    std::int32_t err = 0;
    vcom::ref<ICustomerManager> manager = CustomerManager(address, &err);
    if (!manager)
        return Failed(err);
    char* ticket = nullptr;
    const std::int32_t result = manager->GetTicket("game", "Finals", contextId, nullptr, 0, &display, &ticket);
    const std::string text = Take(ticket);
    return result == 0 ? Succeeded(std::move(text)) : Failed(result);
}

Outcome ContextTicket(const std::string& address, customertest::ScriptedDisplay& display) {
    return Ticket(address, display, "ctx-7");
}

Outcome Login(const std::string& address, customertest::ScriptedDisplay& display) {
    {
        Paused harness;
        display.Then(customertest::ScriptedDisplay::Login("alice", "pw;1"));
    }
    return Ticket(address, display, nullptr);
}

Outcome Identity(const std::string&, customertest::ScriptedDisplay&) {
    std::int32_t err = 0;
    tarnclient::Ref<IMachineIdentity> identity = customertest::NewIdentity(&err);
    if (!identity)
        return Failed(err);
    char* id = identity->GetMachineId();
    return id ? Succeeded(Take(id)) : Failed(0);
}

Outcome NewCustomerManager(const std::string& address, customertest::ScriptedDisplay&) {
    std::int32_t err = 0;
    return CustomerManager(address, &err) ? Succeeded("created") : Failed(err);
}

const std::string kThreeServers = AddressReply("<server name=\"east-1\" address=\"10.0.0.5:7000\" uc=\"12\"/>"
                                               "<server name=\"west-2\" address=\"192.168.1.20:80\" uc=\"-3\"/>"
                                               "<server name=\"north\" address=\":9\" uc=\"0\"/>");
const std::string kTicket =
    tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"key", "TICKET-42"}, {"lifetime", "3600"}}));

const Flow kFlows[] = {
    {.name = "lookup-three", .seeded = true, .reply = kThreeServers, .run = LookupThree},
    {.name = "context-ticket", .seeded = true, .reply = kTicket, .run = ContextTicket},
    {.name = "login", .seeded = true, .reply = kTicket, .run = Login},
    // From an empty registry: the servlet names and a new machine identifier are made.
    {.name = "customer-manager", .seeded = false, .reply = "", .run = NewCustomerManager},
};

} // namespace

const Flow* FindFlow(const std::string& name) {
    for (const Flow& flow : kFlows)
        if (name == flow.name)
            return &flow;
    return nullptr;
}

bool Seeded(const Flow& flow) { return flow.seeded; }

std::string FlowReply(const Flow& flow) { return flow.reply; }

Outcome RunFlow(const Flow& flow, const Cut* cut, long failAt) {
    tarntest::ScriptedServer server;
    if (cut) {
        std::vector<tarntest::Step> steps = {tarntest::ReadRequest()};
        if (cut->offset)
            steps.push_back(tarntest::Send(flow.reply.substr(0, cut->offset)));
        steps.push_back(cut->reset ? tarntest::Reset() : tarntest::Close());
        server.Script(steps);
    } else {
        server.Script(tarntest::Answer(flow.reply));
    }
    Display display;
    const std::string address = server.Address();
    Arm(failAt);
    Outcome outcome = flow.run(address, display);
    outcome.allocations = Disarm();
    for (const customertest::DisplayCall& call : display.calls)
        outcome.errorsReported += call.error != 0;
    for (const std::string& request : server.Requests()) {
        tarntest::RequestRecord record;
        if (!tarntest::ParseRequestRecord(tarntest::RequestBody(request), record))
            continue;
        std::string names;
        for (const auto* list : {&record.first, &record.second})
            for (const tarntest::RecordField& field : *list)
                names += field.first + " ";
        outcome.sent.push_back(names);
    }
    return outcome;
}

bool Acceptable(const Outcome& got, const Outcome& expected) {
    // The server never sends an application error, so none may reach the host.
    if (got.errorsReported != 0)
        return false;
    // A request goes out whole or not at all.
    for (const std::string& names : got.sent)
        if (expected.sent.empty() || names != expected.sent.front())
            return false;
    if (got.ok)
        return got.value == expected.value;
    // A bare null, -1, -4, or a login the host gave up (its own answer 2).
    return got.code == 0 || got.code == vcom::Failure || got.code == vcom::OutOfMemory || got.code == 2;
}

std::string Describe(const Outcome& outcome) {
    return (outcome.ok ? "value \"" + outcome.value + "\"" : "code " + std::to_string(outcome.code)) +
           (outcome.errorsReported ? ", " + std::to_string(outcome.errorsReported) + " errors reported" : "") +
           (outcome.sent.empty() ? "" : ", sent " + outcome.sent.back());
}

std::string SecondRun() {
    std::int32_t err = 0;
    if (!CustomerManager("127.0.0.1:1", &err))
        return "";
    customertest::ScriptedDisplay display;
    const Outcome identity = Identity("", display);
    return identity.ok ? identity.value : "";
}

} // namespace torture
