#include "tests/support/ScriptedServer.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>

#include "tests/support/LoopbackSocket.h"

namespace tarntest {

namespace {

// How often blocked steps look whether the server is stopping.
constexpr int kStopCheckMs = 20;
constexpr char kBlankLine[] = "\r\n\r\n";

// Whether data holds a whole request from from on: a header and as many body
// bytes as its content length (any spelling of the name) announces; end is
// where it ends.
bool RequestComplete(const std::string& data, std::size_t from, std::size_t& end) {
    const std::size_t blank = data.find(kBlankLine, from);
    if (blank == std::string::npos)
        return false;
    std::string header = data.substr(from, blank - from);
    for (char& c : header)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t at = header.find("content-length:");
    end = blank + 4 + (at == std::string::npos ? 0 : std::strtoul(header.c_str() + at + 15, nullptr, 10));
    return data.size() >= end;
}

} // namespace

Step ReadRequest() { return {.kind = Step::Kind::ReadRequest}; }
Step Send(std::string bytes) { return {.kind = Step::Kind::Send, .bytes = std::move(bytes)}; }
Step Pause(int ms) { return {.kind = Step::Kind::Pause, .ms = ms}; }
Step Close() { return {.kind = Step::Kind::Close}; }
Step Silent() { return {.kind = Step::Kind::Silent}; }
Step Run(std::function<void()> action) { return {.kind = Step::Kind::Run, .action = std::move(action)}; }

std::string HttpReply(int status, const std::string& body, bool declareLength) {
    std::string reply = "HTTP/1.1 " + std::to_string(status) + " X\r\n";
    if (declareLength)
        reply += "Content-length: " + std::to_string(body.size()) + "\r\n";
    return reply + "\r\n" + body;
}

std::string RequestBody(const std::string& request) {
    const std::size_t blank = request.find(kBlankLine);
    return blank == std::string::npos ? std::string() : request.substr(blank + 4);
}

std::vector<Step> Answer(const std::string& reply) { return {ReadRequest(), Send(reply), Close()}; }

struct Connection {
    loopback::Handle socket;
    std::vector<Step> script;
    std::string received{}; // written by its own thread under State::mutex
    bool finished = false;
    std::thread thread{};
};

struct ScriptedServer::State {
    loopback::Handle listener = loopback::NoSocket;
    std::uint16_t port = 0;
    std::atomic<bool> stopping{false};
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<std::vector<Step>> scripts;
    std::size_t nextScript = 0;
    std::vector<std::unique_ptr<Connection>> connections;
    std::thread acceptor;

    void AcceptLoop() {
        while (!stopping) {
            if (loopback::WaitReadable(listener, kStopCheckMs) != 1)
                continue;
            const loopback::Handle socket = loopback::Accept(listener);
            if (socket == loopback::NoSocket)
                continue;
            std::lock_guard<std::mutex> guard(mutex);
            std::vector<Step> script = nextScript < scripts.size() ? scripts[nextScript++]
                                       : scripts.empty()           ? std::vector<Step>{ReadRequest(), Close()}
                                                                   : scripts.back();
            connections.push_back(std::make_unique<Connection>(Connection{.socket = socket, .script = std::move(script)}));
            Connection& connection = *connections.back();
            connection.thread = std::thread([this, &connection] {
                Play(connection);
                std::lock_guard<std::mutex> guard(mutex);
                connection.finished = true;
                changed.notify_all();
            });
            changed.notify_all();
        }
    }

    // Waits for bytes and records them; false once the client has closed or
    // the server is stopping.
    bool ReceiveSome(Connection& connection) {
        while (!stopping) {
            const int ready = loopback::WaitReadable(connection.socket, kStopCheckMs);
            if (ready == 0)
                continue;
            char chunk[65536];
            const int got = ready < 0 ? -1 : loopback::Receive(connection.socket, chunk, sizeof chunk);
            if (got <= 0)
                return false;
            std::lock_guard<std::mutex> guard(mutex);
            connection.received.append(chunk, std::size_t(got));
            return true;
        }
        return false;
    }

    // Keeps recording until the client closes too, after ending the sending
    // side when graceful: closing with unread bytes would turn the close into
    // a reset.
    void End(Connection& connection, bool graceful) {
        if (graceful)
            loopback::ShutdownSend(connection.socket);
        while (ReceiveSome(connection)) {
        }
        loopback::Close(connection.socket);
    }

    void Play(Connection& connection) {
        std::size_t consumed = 0;
        for (const Step& step : connection.script) {
            switch (step.kind) {
            case Step::Kind::ReadRequest: {
                std::size_t end = 0;
                while (!RequestComplete(connection.received, consumed, end) && ReceiveSome(connection)) {
                }
                consumed = std::min(end, connection.received.size());
                break;
            }
            case Step::Kind::Send:
                loopback::SendAll(connection.socket, step.bytes.data(), step.bytes.size());
                break;
            case Step::Kind::Pause:
                for (int left = step.ms; left > 0 && !stopping; left -= kStopCheckMs)
                    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, kStopCheckMs)));
                break;
            case Step::Kind::Run:
                step.action();
                break;
            case Step::Kind::Close:
            case Step::Kind::Silent:
                return End(connection, step.kind == Step::Kind::Close);
            }
        }
        End(connection, true);
    }
};

ScriptedServer::ScriptedServer() : m_state(std::make_unique<State>()) {
    loopback::Startup();
    m_state->listener = loopback::Listen(m_state->port);
    if (m_state->listener == loopback::NoSocket) {
        loopback::Cleanup();
        throw std::runtime_error("ScriptedServer: cannot listen on 127.0.0.1");
    }
    m_state->acceptor = std::thread([state = m_state.get()] { state->AcceptLoop(); });
}

ScriptedServer::~ScriptedServer() {
    m_state->stopping = true;
    m_state->acceptor.join();
    // No new connection can appear now.
    for (auto& connection : m_state->connections)
        connection->thread.join();
    loopback::Close(m_state->listener);
    loopback::Cleanup();
}

std::uint16_t ScriptedServer::Port() const { return m_state->port; }

std::string ScriptedServer::Address() const { return "127.0.0.1:" + std::to_string(m_state->port); }

void ScriptedServer::Script(std::vector<Step> steps) {
    std::lock_guard<std::mutex> guard(m_state->mutex);
    m_state->scripts.push_back(std::move(steps));
}

std::vector<std::string> ScriptedServer::Requests() const {
    std::lock_guard<std::mutex> guard(m_state->mutex);
    std::vector<std::string> requests;
    for (const auto& connection : m_state->connections)
        requests.push_back(connection->received);
    return requests;
}

std::size_t ScriptedServer::Connections() const {
    std::lock_guard<std::mutex> guard(m_state->mutex);
    return m_state->connections.size();
}

bool ScriptedServer::WaitFinished(std::size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_state->mutex);
    return m_state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        const auto& connections = m_state->connections;
        return connections.size() >= count &&
               std::all_of(connections.begin(), connections.begin() + std::ptrdiff_t(count),
                           [](const auto& connection) { return connection->finished; });
    });
}

} // namespace tarntest
