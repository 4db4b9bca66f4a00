#include "http/MakeHttpRequest.h"

#include <memory>

#include "dead/Stream.h"
#include "http/CHttp.h"
#include "http/RequestLock.h"
#include "messages/Trace.h"
#include "vcom/Codes.h"

namespace Utility {

namespace {

constexpr std::int32_t Succeeded = 200;
constexpr std::int32_t Failed = 999;

constexpr char ExtraHeaders[] = "Accept: application/octet-stream\r\n"
                                "Accept: text/*\r\n"
                                "Content-Type: application/octet-stream";
constexpr std::uint32_t RequestCapacity = 80;
constexpr std::uint32_t RequestGrowth = 128;

void SendRequest(CHttp& http, const std::string& agent, const std::string& path, Dead::IMessage& request) {
    Dead::Stream bytes = Dead::Stream::Growable(RequestCapacity, RequestGrowth);
    if (request.Write(&bytes) < 0)
        vcom::Fail(vcom::Failure);
    const Dead::Buffer& buffer = bytes.GetBuffer();
    http.SendPostRequest(agent.c_str(), path.c_str(), ExtraHeaders, buffer.Data(), static_cast<int>(buffer.Length()));
}

// The record is decoded from the body where it was received, its zero byte
// included.
void DecodeReply(const ReplyBody& body, vcom::ref<Dead::IMessage>& record) {
    auto borrowed = std::make_unique<Dead::Buffer>();
    borrowed->Assign(body.Data(), static_cast<std::uint32_t>(body.Size() + 1), false);
    Dead::Stream reply(std::move(borrowed));
    record.reset();
    const vcom::ref<Dead::IMessageFactory> factory = Dead::GetMessageFactory();
    if (!factory)
        vcom::Fail(vcom::Failure);
    std::int32_t err = 0;
    // The reply record answers its primary interface, IMessage.
    record.reset(static_cast<Dead::IMessage*>(factory->DecodeReply(Dead::IMessage::Id, &err, &reply)));
    if (!record) {
        tarnClientLib::TraceFailed(tarnclient::CallUnreadableReply,
                                   "unreadable reply: a body of %zu bytes is not a reply record (code %d)",
                                   body.Size(), err);
        vcom::Fail(err);
    }
}

void Exchange(const std::string& host, std::uint32_t port, const std::string& agent, const std::string& path,
              vcom::ref<Dead::IMessage>& record, const platform::WaitLimits& call) {
    if (!record)
        vcom::Fail(vcom::InvalidArgument);
    ReplyBody body;
    const http::RequestTurn turn(call);
    // Destroyed (socket closed) before the turn ends.
    CHttp http(call);
    http.ConnectBeforeSend(host.c_str(), static_cast<int>(port));
    SendRequest(http, agent, path, *record);
    if (!http.ReadReply(body))
        vcom::Fail(vcom::Failure);
    body.Terminate();
    DecodeReply(body, record);
}

} // namespace

std::int32_t MakeHttpRequest(const std::string& strIPAddress, std::uint32_t dwPort, const std::string& strAgent,
                             const std::string& strRequestHeader, const std::string& strRequestType,
                             vcom::ref<Dead::IMessage>& record, const platform::WaitLimits& call) {
    tarnClientLib::Trace("Enter Function: Utility::MakeHttpRequest\n");
    tarnClientLib::Trace("strIPAddress = \"%s\"\ndwPort = %u\nstrAgent = \"%s\"\nstrRequestHeader = \"%s\"\n"
                         "strRequestType = \"%s\"\n",
                         strIPAddress.c_str(), dwPort, strAgent.c_str(), strRequestHeader.c_str(),
                         strRequestType.c_str());
    try {
        Exchange(strIPAddress, dwPort, strAgent, strRequestHeader, record, call);
        return Succeeded;
    } catch (...) {
        // Whatever failed has said why; a request record not yet sent stays
        // with the caller, a reply that could not be decoded is gone.
    }
    return Failed;
}

} // namespace Utility
