// A scripted loopback server for transport tests.
//
// Listens on 127.0.0.1 on a port of the system's choosing and serves every
// accepted connection on a thread of its own. Each connection plays a script
// of steps in order and records every byte it receives.
//
//   tarntest::ScriptedServer server;
//   server.Script({tarntest::ReadRequest(), tarntest::Send(tarntest::HttpReply(200, "hi")), tarntest::Close()});
//   ... connect to server.Address() ...
//   EXPECT_EQ(tarntest::RequestBody(server.Requests().at(0)), "...");
//
// Scripts are used in the order they were given, one per accepted
// connection; once they are used up, every further connection plays the last
// script again (a client that reconnects after a silent server meets the same
// silence). Without any script a connection reads the request and closes.
//
// A script that ends without Close closes the connection gracefully.
// Bytes are recorded whatever step is running, until the connection ends; the
// request of a connection is complete in Requests() once its ReadRequest step
// is over, so a client that got its reply finds its request recorded.
#ifndef TARN_TESTS_SUPPORT_SCRIPTEDSERVER_H
#define TARN_TESTS_SUPPORT_SCRIPTEDSERVER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarntest {

struct Step {
    enum class Kind { ReadRequest, Send, Pause, Close, Silent, Run };
    Kind kind;
    std::string bytes{};         // Send
    int ms = 0;                  // Pause
    std::function<void()> action{}; // Run
};

// Waits until a complete HTTP request has arrived: the header up to its blank
// line and as many body bytes as its "Content-length:" line announces (any
// spelling of the name). Ends early when the client closes.
Step ReadRequest();
// Sends bytes in one send call; several Send steps make several pieces.
Step Send(std::string bytes);
// Waits ms milliseconds of real time (the library's time scale does not apply).
Step Pause(int ms);
// Closes the connection gracefully.
Step Close();
// Stays silent, still recording, until the client closes or the server stops.
Step Silent();
// Runs action on the connection's thread at this point of the script, e.g.
// to look at Connections() while a client waits for its reply.
Step Run(std::function<void()> action);

// "HTTP/1.1 <status> X\r\nContent-length: <n>\r\n\r\n" + body; without the
// length line when declareLength is false.
std::string HttpReply(int status, const std::string& body, bool declareLength = true);

// The bytes after the first blank line of a recorded request (empty when
// there is none).
std::string RequestBody(const std::string& request);

// The usual script: read the request, send reply in one piece, close.
std::vector<Step> Answer(const std::string& reply);

class ScriptedServer {
public:
    // Binds and starts listening; throws std::runtime_error when it cannot.
    ScriptedServer();
    // Stops accepting, ends every connection (silent ones included) and joins
    // all threads.
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::uint16_t Port() const;
    // "127.0.0.1:<port>"
    std::string Address() const;

    // Appends the script for the next connection not yet given one.
    void Script(std::vector<Step> steps);

    // Bytes received so far, one string per accepted connection, in the order
    // of acceptance.
    std::vector<std::string> Requests() const;
    // Connections accepted so far.
    std::size_t Connections() const;
    // Waits (at most timeoutMs of real time) until count connections have been
    // accepted and all of them have ended; false on time-out.
    bool WaitFinished(std::size_t count, int timeoutMs = 10000) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace tarntest

#endif
