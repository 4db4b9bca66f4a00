#include "DevServer.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <sys/socket.h>

#include <httplib.h>

#include "ConnectionSocket.h"

namespace devserver {

namespace {

constexpr std::size_t MaxBody = 64 * 1024;

// Whether Serve() has logged the request this thread is working on; the HTTP
// library answers some requests (a bad request line, a body too large)
// without calling it, and those are logged by its logger instead.
thread_local bool t_logged = false;

// The client reads the length only from a "Content-length: " line spelled
// exactly so; the HTTP library spells it "Content-Length".
void RespellContentLength(httplib::Response& response) {
    const auto found = response.headers.find("Content-Length");
    if (found == response.headers.end())
        return;
    const std::string length = found->second;
    response.headers.erase("Content-Length");
    response.headers.emplace("Content-length", length);
}

// Only SO_REUSEADDR (a restart may bind while old connections linger): the
// HTTP library's default adds SO_REUSEPORT, with which a second server on a
// port in use would start and take half of the requests.
void ExclusiveListenerOptions(socket_t socket) {
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

} // namespace

DevServer::DevServer(ServiceData data, RequestLog& log)
    : m_data(std::move(data)), m_handler(m_data), m_log(log), m_http(std::make_unique<httplib::Server>()) {
    // The client speaks one request per connection.
    m_http->set_keep_alive_max_count(1);
    m_http->set_socket_options(ExclusiveListenerOptions);
    m_http->set_payload_max_length(MaxBody);
    const httplib::Server::Handler serve = [this](const httplib::Request& q, httplib::Response& r) { Serve(q, r); };
    m_http->Post(".*", serve).Get(".*", serve).Put(".*", serve).Patch(".*", serve).Delete(".*", serve);
    m_http->Options(".*", serve);
    m_http->set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
        t_logged = false;
        return httplib::Server::HandlerResponse::Unhandled;
    });
    m_http->set_post_routing_handler([](const httplib::Request&, httplib::Response& r) { RespellContentLength(r); });
    m_http->set_logger([this](const httplib::Request& q, const httplib::Response& r) { LogUnhandled(q, r); });
}

DevServer::~DevServer() = default;

int DevServer::Bind(const std::string& host, int port) {
    errno = 0;
    const int bound = port == 0 ? m_http->bind_to_any_port(host) : (m_http->bind_to_port(host, port) ? port : -1);
    if (bound <= 0) {
        const int error = errno;
        throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(port) + ": " +
                                 (error == EADDRINUSE ? std::string("the port is already in use")
                                  : error != 0       ? std::string(std::strerror(error))
                                                     : std::string("the address cannot be bound")));
    }
    return bound;
}

void DevServer::Run() { m_http->listen_after_bind(); }

void DevServer::Stop() {
    m_stop.Raise();
    m_http->stop();
}

void DevServer::Serve(const httplib::Request& request, httplib::Response& response) {
    Outgoing out = m_handler.Handle({request.method, request.path, request.body});
    t_logged = true;
    if (out.delayMs > 0 && !m_stop.WaitFor(out.delayMs)) {
        out.action = Outgoing::Action::Close;
        out.logText += " [server stopping]";
    }
    if (out.action != Outgoing::Action::Reply) {
        // The HTTP library still writes a response after this handler; the
        // socket is shut down by then, so nothing reaches the client.
        ConnectionSocket socket(request.remote_addr, request.remote_port, request.local_port);
        if (out.action == Outgoing::Action::Hang)
            socket.WaitForHangUp(m_stop);
        socket.Shutdown();
        m_log.Write(out.logText + (socket.Found() ? "" : " [connection not found]"));
        return;
    }
    response.status = out.httpStatus;
    response.set_content(out.body, out.contentType.c_str());
    m_log.Write(out.logText);
}

void DevServer::LogUnhandled(const httplib::Request& request, const httplib::Response& response) {
    if (!std::exchange(t_logged, false))
        m_log.Write(request.method + " " + request.path + " -> " + std::to_string(response.status) +
                    " refused by the HTTP layer");
}

} // namespace devserver
