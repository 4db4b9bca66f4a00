// The HTTP side of the development server: cpp-httplib listening on one
// address, every request handed to RequestHandler, one reply per connection.
#ifndef TARN_TOOLS_DEVSERVER_DEVSERVER_H
#define TARN_TOOLS_DEVSERVER_DEVSERVER_H

#include <memory>
#include <string>

#include "RequestHandler.h"
#include "RequestLog.h"
#include "ServiceData.h"
#include "StopSignal.h"

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace devserver {

class DevServer {
public:
    DevServer(ServiceData data, RequestLog& log);
    ~DevServer();
    DevServer(const DevServer&) = delete;
    DevServer& operator=(const DevServer&) = delete;

    // Binds host:port (port 0: a free one); returns the port bound. Throws
    // std::runtime_error when it cannot.
    int Bind(const std::string& host, int port);
    // Serves until Stop(); call after Bind().
    void Run();
    // Ends Run() and every request still waiting on purpose. Any thread.
    void Stop();

private:
    void Serve(const httplib::Request& request, httplib::Response& response);
    void LogUnhandled(const httplib::Request& request, const httplib::Response& response);

    ServiceData m_data;
    RequestHandler m_handler;
    RequestLog& m_log;
    StopSignal m_stop;
    std::unique_ptr<httplib::Server> m_http;
};

} // namespace devserver

#endif
