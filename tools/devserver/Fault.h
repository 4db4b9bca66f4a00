// Fault rules: how the server misbehaves on purpose, for every request or
// for one path, so a host developer can watch each failure of the library.
//
// A rule is written "[PATH=]MODE" (PATH starts with "/"):
//   delay:MS        answer MS milliseconds late (combines with the others)
//   hang            never answer; hold the connection until the client leaves
//   close           close the connection without a reply
//   http:STATUS     answer with HTTP status STATUS (100 to 599) and no record
//   malformed-list  address replies carry a server list that is not XML
//   incomplete-list address replies carry a server entry without "uc"
//   unavailable     the reply record carries status 9001
//   none            behave (clears an earlier rule of the same scope)
#ifndef TARN_TOOLS_DEVSERVER_FAULT_H
#define TARN_TOOLS_DEVSERVER_FAULT_H

#include <string>
#include <vector>

namespace devserver {

enum class FaultAction { Answer, Hang, Close, HttpStatus, MalformedList, IncompleteList, Unavailable };

struct FaultRule {
    std::string path; // empty: every path
    bool setsDelay = false;
    int delayMs = 0;
    bool setsAction = false; // a delay rule leaves the action alone
    FaultAction action = FaultAction::Answer;
    int httpStatus = 0;
};

// What to do with one request.
struct Fault {
    int delayMs = 0;
    FaultAction action = FaultAction::Answer;
    int httpStatus = 0;
};

// Throws std::invalid_argument naming what is wrong with text.
FaultRule ParseFaultRule(const std::string& text);

// The fault for path: a rule for the path wins over a rule for every path,
// and a later rule over an earlier one of the same scope.
Fault FaultFor(const std::vector<FaultRule>& rules, const std::string& path);

// "close", "http 503", "delay 200 ms + hang", ... for the request log; empty
// when the fault changes nothing.
std::string Describe(const Fault& fault);

} // namespace devserver

#endif
