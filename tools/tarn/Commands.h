// tarn's commands. Each prints its result, as text or as one JSON document,
// and returns the exit status; a failure throws ToolError.
#ifndef TARN_TOOLS_TARN_COMMANDS_H
#define TARN_TOOLS_TARN_COMMANDS_H

#include <ostream>
#include <string>

#include "Library.h"

namespace tarn {

struct ServerQuery {
    std::string product;
    std::string category;
    std::string name = "any"; // "any": every server of the category
    std::string att1;         // empty: not sent
};

// Where a command prints its result, and in which form.
struct Output {
    std::ostream& out;
    bool json = false;
};

struct TicketQuery {
    std::string product;
    std::string event;
    std::string contextId; // empty: log in with public name and password
    std::string language;  // empty: not sent
    int attempts = 3;      // login prompts at most
};

// Every matching server as a table, then their count; none is "not found".
int ListServers(Library& library, const ServerQuery& query, const Output& output);
// The first matching server as a one-row table.
int ShowServer(Library& library, const ServerQuery& query, const Output& output);
// A ticket, from a context id or through the login prompt.
int ObtainTicket(Library& library, const TicketQuery& query, const Output& output);
// This computer's identifier.
int ShowMachineId(Library& library, const Output& output);
// Address, host and port of the configured server.
int ShowConfig(Library& library, const Output& output);

} // namespace tarn

#endif
