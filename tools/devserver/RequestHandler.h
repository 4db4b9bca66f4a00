// What the server does with one request, apart from the HTTP transport: which
// paths and methods it serves, the faults, the record decoding and the
// answers of the address service and the customer servlets.
#ifndef TARN_TOOLS_DEVSERVER_REQUESTHANDLER_H
#define TARN_TOOLS_DEVSERVER_REQUESTHANDLER_H

#include <string>

#include "ServiceData.h"

namespace devserver {

struct Incoming {
    std::string method;
    std::string path;
    std::string body;
};

struct Outgoing {
    enum class Action {
        Reply, // send httpStatus, contentType and body
        Close, // close the connection without a reply
        Hang,  // send nothing; keep the connection until the client leaves
    };
    Action action = Action::Reply;
    int delayMs = 0; // wait this long first
    int httpStatus = 200;
    std::string contentType;
    std::string body;
    // The request as the log shows it: method, path, the decoded selectors or
    // account name (never a password), and the outcome.
    std::string logText;
};

class RequestHandler {
public:
    explicit RequestHandler(const ServiceData& data) : m_data(data) {}

    Outgoing Handle(const Incoming& request) const;

private:
    bool IsServletPath(const std::string& path) const;

    const ServiceData& m_data;
};

} // namespace devserver

#endif
