#include "RequestHandler.h"

#include <stdexcept>

#include "Fault.h"
#include "RecordCodec.h"
#include "ServerListXml.h"
#include "TicketKey.h"

namespace devserver {

namespace {

constexpr std::uint16_t Unavailable = 9001;
const char* const AddressPath = "/addrsrv";
const char* const Binary = "application/octet-stream";

void PlainReply(Outgoing& out, int status, const std::string& text) {
    out.action = Outgoing::Action::Reply;
    out.httpStatus = status;
    out.contentType = "text/plain";
    out.body = text + "\n";
}

std::string AddressSelectors(const AddressQuery& query) {
    std::string text = "product=" + query.product + " category=" + query.category + " server=" + query.server;
    if (query.hasAtt1)
        text += " att1=" + query.att1;
    return text;
}

std::string TicketSelectors(const TicketQuery& query) {
    std::string text = "product=" + query.product + " event=" + query.event;
    if (query.hasContextId)
        return text + " context=" + query.contextId;
    return text + " account=" + query.publicName;
}

ListShape ShapeFor(const Fault& fault) {
    switch (fault.action) {
    case FaultAction::MalformedList: return ListShape::Malformed;
    case FaultAction::IncompleteList: return ListShape::Incomplete;
    default: return ListShape::Complete;
    }
}

} // namespace

bool RequestHandler::IsServletPath(const std::string& path) const {
    return path.size() > 1 && path[0] == '/' && m_data.HasServlet(path.substr(1));
}

Outgoing RequestHandler::Handle(const Incoming& request) const {
    Outgoing out;
    std::string log = request.method + " " + request.path;
    const bool isAddress = request.path == AddressPath;
    if (!isAddress && !IsServletPath(request.path)) {
        PlainReply(out, 404, "no service at " + request.path);
        out.logText = log + " -> 404 unknown path";
        return out;
    }
    if (request.method != "POST") {
        PlainReply(out, 405, "only POST is served here");
        out.logText = log + " -> 405 method not allowed";
        return out;
    }

    // The body is decoded first so that even a faulty answer is logged with
    // the selectors it was given.
    DecodedRequest decoded;
    std::string badBody;
    try {
        decoded = DecodeRequestBody(request.body);
        const bool kindFits = (decoded.kind == DecodedRequest::Kind::Address) == isAddress;
        if (!kindFits)
            badBody = isAddress ? "a customer request sent to the address service"
                                : "an address query sent to a customer servlet";
        log += " " + (decoded.kind == DecodedRequest::Kind::Address ? AddressSelectors(decoded.address)
                                                                    : TicketSelectors(decoded.ticket));
    } catch (const BadRequestBody& e) {
        badBody = e.what();
    }

    const Fault fault = FaultFor(m_data.faults, request.path);
    out.delayMs = fault.delayMs;
    const std::string faultNote = Describe(fault).empty() ? "" : " (fault " + Describe(fault) + ")";
    switch (fault.action) {
    case FaultAction::Hang:
        out.action = Outgoing::Action::Hang;
        out.logText = log + " -> no answer" + faultNote;
        return out;
    case FaultAction::Close:
        out.action = Outgoing::Action::Close;
        out.logText = log + " -> closed without a reply" + faultNote;
        return out;
    case FaultAction::HttpStatus:
        PlainReply(out, fault.httpStatus, "fault: HTTP status " + std::to_string(fault.httpStatus));
        out.logText = log + " -> " + std::to_string(fault.httpStatus) + faultNote;
        return out;
    default: break;
    }
    if (!badBody.empty()) {
        PlainReply(out, 400, badBody);
        out.logText = log + " -> 400 " + badBody;
        return out;
    }

    const bool unavailable = m_data.unavailable || fault.action == FaultAction::Unavailable;
    out.contentType = Binary;
    std::string outcome;
    if (isAddress) {
        const std::vector<const Server*> servers = SelectServers(m_data, decoded.address);
        const std::uint16_t status = unavailable ? Unavailable : 0;
        out.body = EncodeAddressReply(status, ServerListXml(servers, ShapeFor(fault)));
        outcome = "status " + std::to_string(status);
        if (status == 0)
            outcome += ", " + std::to_string(servers.size()) + (servers.size() == 1 ? " server" : " servers");
    } else {
        TicketDecision decision;
        if (unavailable)
            decision.status = Unavailable;
        else
            decision = DecideTicket(m_data, decoded.ticket);
        out.body = EncodeTicketReply(decision.status, NewTicketKey(), std::to_string(m_data.lifetime));
        if (decoded.ticket.hasContextId && !decision.account.empty())
            log += " (" + decision.account + ")";
        outcome = "status " + std::to_string(decision.status) + (decision.status == 0 ? ", ticket granted" : "");
    }
    out.logText = log + " -> 200, " + outcome + faultNote;
    return out;
}

} // namespace devserver
