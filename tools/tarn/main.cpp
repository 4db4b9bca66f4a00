// tarn: the sample host. It reaches everything through the public header and
// the library, as a customer's program does.
#include <exception>
#include <functional>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "ExitCode.h"
#include "Interrupt.h"
#include "ServerOption.h"
#include "ShownText.h"
#include "ToolError.h"
#include "FailureLines.h"

namespace {

using tarn::Library;

constexpr int MaxAttempts = 100;
// A deadline is given to the library in milliseconds, a 32-bit number.
constexpr int MaxTimeoutSeconds = 2000000;

// Whole numbers from 1 to most, in tarn's own words (CLI11's would name
// its types in --help).
CLI::Validator NumberFrom1To(int most) {
    return CLI::Validator(
        [most](std::string& text) {
            const bool digits = !text.empty() && text.size() <= 9 &&
                                text.find_first_not_of("0123456789") == std::string::npos;
            return digits && std::stoi(text) >= 1 && std::stoi(text) <= most
                       ? std::string()
                       : "\"" + text + "\" is not a number from 1 to " + std::to_string(most);
        },
        "");
}

void AddServerQuery(CLI::App& command, tarn::ServerQuery& query) {
    command.add_option("product", query.product, "Product name")->required();
    command.add_option("category", query.category, "Service category")->required();
    command.add_option("name", query.name, "Server name; \"any\" selects every server of the category")
        ->capture_default_str();
    command.add_option("--att1", query.att1, "Only servers with this attribute");
}

// One plain line for what CLI11 reports in its own words.
std::string UsageText(const CLI::ParseError& e, const CLI::App& app) {
    const std::string name = e.get_name();
    if (name == "RequiredError" && app.get_subcommands().empty()) {
        const std::vector<std::string> rest = app.remaining();
        if (!rest.empty())
            return "unknown command \"" + rest.front() + "\"; the commands are servers, server, ticket, machine-id, config";
        return "no command given; the commands are servers, server, ticket, machine-id, config";
    }
    if (name == "ExtrasError" && app.get_subcommands().empty() && !app.remaining().empty())
        return "unknown command \"" + app.remaining().front() + "\"; the commands are servers, server, ticket, "
               "machine-id, config";
    std::string text = e.what();
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    return text;
}

} // namespace

int main(int argc, char** argv) {
    // Before any other thread starts.
    const tarn::InterruptWatch interrupts;
    tarn::FailureLines failureLines;

    CLI::App app{"tarn: looks up Tarn servers and obtains login tickets through the TarnClient library."};
    app.require_subcommand(1);
    // Global options are accepted after the command too.
    app.fallthrough();
    app.set_version_flag("--version", std::string("tarn ") + TARN_VERSION);
    app.footer(std::string(tarn::ExitCodeHelp) +
               "\nTARN_TRACE=stderr or TARN_TRACE=FILE writes the library's trace there.");
    std::string server;
    app.add_option("--server", server, "Address server as HOST:PORT (default: the registry value \"QAS Address\")")
        ->type_name("HOST:PORT")
        ->check(CLI::Validator([](std::string& text) { return tarn::ServerAddressProblem(text); }, ""));
    int timeoutSeconds = 0;
    app.add_option("--timeout", timeoutSeconds, "Give up a request after this many seconds (default: the library's "
                                                "own bounds)")
        ->type_name("SECONDS")
        ->check(NumberFrom1To(MaxTimeoutSeconds));
    bool json = false;
    app.add_flag("--json", json, "Print the result as one JSON document");

    tarn::ServerQuery query;
    tarn::TicketQuery ticket;
    std::function<int(Library&, const tarn::Output&)> run;

    CLI::App* servers = app.add_subcommand("servers", "List the servers of a product and category");
    AddServerQuery(*servers, query);
    servers->callback([&] { run = [&](Library& lib, const tarn::Output& out) { return tarn::ListServers(lib, query, out); }; });

    CLI::App* one = app.add_subcommand("server", "Show the first server of a product and category");
    AddServerQuery(*one, query);
    one->callback([&] { run = [&](Library& lib, const tarn::Output& out) { return tarn::ShowServer(lib, query, out); }; });

    CLI::App* tickets = app.add_subcommand(
        "ticket", "Obtain a login ticket: from a context id, or by asking for public name and password "
                  "(from the terminal, or one line each from standard input)");
    tickets->add_option("product", ticket.product, "Product name")->required();
    tickets->add_option("event", ticket.event, "Event name")->required();
    tickets->add_option("--context-id", ticket.contextId, "Use this context id instead of logging in");
    tickets->add_option("--language", ticket.language, "Language sent with the request");
    tickets->add_option("--attempts", ticket.attempts, "Login prompts at most (1 to 100)")
        ->capture_default_str()
        ->check(NumberFrom1To(MaxAttempts));
    tickets->callback([&] { run = [&](Library& lib, const tarn::Output& out) { return tarn::ObtainTicket(lib, ticket, out); }; });

    CLI::App* machine = app.add_subcommand("machine-id", "Show this computer's identifier");
    machine->callback([&] { run = [&](Library& lib, const tarn::Output& out) { return tarn::ShowMachineId(lib, out); }; });

    CLI::App* config = app.add_subcommand("config", "Show address, host and port of the configured server");
    config->callback([&] { run = [&](Library& lib, const tarn::Output& out) { return tarn::ShowConfig(lib, out); }; });

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "tarn: " << UsageText(e, app) << " (tarn --help shows the usage)\n";
        return tarn::ExitUsage;
    }

    // An interruption that stopped a call ends tarn as the signal would,
    // whatever the call made of it, once its cause is shown.
    const auto endIfInterrupted = [] {
        if (const int signal = tarn::InterruptSignal()) {
            std::cout.flush();
            std::cerr.flush();
            tarn::EndAsInterrupted(signal);
        }
    };
    try {
        Library library(server, timeoutSeconds * 1000, failureLines);
        const int status = run(library, tarn::Output{std::cout, json});
        endIfInterrupted();
        return status;
    } catch (const tarn::ToolError& e) {
        std::cout.flush();
        std::cerr << "tarn: " << tarn::Shown(e.what()) << '\n';
        endIfInterrupted();
        return e.Status();
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "tarn: unexpected failure: " << tarn::Shown(e.what()) << '\n';
    }
    return tarn::ExitFailed;
}
