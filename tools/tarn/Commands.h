// tarn's commands. Each prints its result on out and returns the exit
// status; a failure throws ToolError.
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

struct TicketQuery {
    std::string product;
    std::string event;
    std::string contextId; // empty: log in with public name and password
    std::string language;  // empty: not sent
    int attempts = 3;      // login prompts at most
};

// Every matching server as a table, then their count.
int ListServers(Library& library, const ServerQuery& query, std::ostream& out);
// The first matching server as a one-row table.
int ShowServer(Library& library, const ServerQuery& query, std::ostream& out);
// A ticket, from a context id or through the login prompt.
int ObtainTicket(Library& library, const TicketQuery& query, std::ostream& out);
// This computer's identifier.
int ShowMachineId(Library& library, std::ostream& out);
// Address, host and port of the configured server.
int ShowConfig(Library& library, std::ostream& out);

} // namespace tarn

#endif
