// tarn: the sample host. It reaches everything through the public header and
// the library, as a customer's program does.
#include <exception>
#include <functional>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "ToolError.h"

namespace {

using tarn::Library;

void AddServerQuery(CLI::App& command, tarn::ServerQuery& query) {
    command.add_option("product", query.product, "Product name")->required();
    command.add_option("category", query.category, "Service category")->required();
    command.add_option("name", query.name, "Server name; \"any\" selects every server of the category")
        ->capture_default_str();
    command.add_option("--att1", query.att1, "Only servers with this attribute");
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"tarn: looks up Tarn servers and obtains login tickets through the TarnClient library."};
    app.require_subcommand(1);
    std::string server;
    app.add_option("--server", server,
                   "Address server as HOST:PORT (default: the registry value \"QAS Address\")");

    tarn::ServerQuery query;
    tarn::TicketQuery ticket;
    std::function<int(Library&)> run;

    CLI::App* servers = app.add_subcommand("servers", "List the servers of a product and category");
    AddServerQuery(*servers, query);
    servers->callback([&] { run = [&](Library& lib) { return tarn::ListServers(lib, query, std::cout); }; });

    CLI::App* one = app.add_subcommand("server", "Show the first server of a product and category");
    AddServerQuery(*one, query);
    one->callback([&] { run = [&](Library& lib) { return tarn::ShowServer(lib, query, std::cout); }; });

    CLI::App* tickets = app.add_subcommand(
        "ticket", "Obtain a login ticket: from a context id, or by asking for public name and password "
                  "(from the terminal, or one line each from standard input)");
    tickets->add_option("product", ticket.product, "Product name")->required();
    tickets->add_option("event", ticket.event, "Event name")->required();
    tickets->add_option("--context-id", ticket.contextId, "Use this context id instead of logging in");
    tickets->add_option("--language", ticket.language, "Language sent with the request");
    tickets->add_option("--attempts", ticket.attempts, "Login prompts at most")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    tickets->callback([&] { run = [&](Library& lib) { return tarn::ObtainTicket(lib, ticket, std::cout); }; });

    CLI::App* machine = app.add_subcommand("machine-id", "Show this computer's identifier");
    machine->callback([&] { run = [&](Library& lib) { return tarn::ShowMachineId(lib, std::cout); }; });

    CLI::App* config = app.add_subcommand("config", "Show address, host and port of the configured server");
    config->callback([&] { run = [&](Library& lib) { return tarn::ShowConfig(lib, std::cout); }; });

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }

    try {
        Library library(server);
        return run(library);
    } catch (const tarn::ToolError& e) {
        std::cout.flush();
        std::cerr << "tarn: " << e.what() << '\n';
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "tarn: unexpected failure: " << e.what() << '\n';
    }
    return 1;
}
