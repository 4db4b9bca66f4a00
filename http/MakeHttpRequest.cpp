#include "http/MakeHttpRequest.h"

#include <memory>

#include "dead/Stream.h"
#include "http/CHttp.h"
#include "messages/ResourceString.h"
#include "messages/Trace.h"
#include "vcom/Codes.h"
#include "vcom/CriticalSection.h"

namespace Utility {

namespace {

constexpr std::int32_t Succeeded = 200;
constexpr std::int32_t Failed = 999;

constexpr char ExtraHeaders[] = "Accept: application/octet-stream\r\n"
                                "Accept: text/*\r\n"
                                "Content-Type: application/octet-stream";
constexpr std::uint32_t RequestCapacity = 80;
constexpr std::uint32_t RequestGrowth = 128;
constexpr char DecodedText[] = "Successful decoding of Dead::Buffer from HTTP Response";
constexpr unsigned UnspecifiedFailureMessage = 13;

// At most one exchange of the whole process is in flight.
vcom::CriticalSection HttpRequestLock;

// Texts are set without letting an allocation failure out; a caller that
// keeps no text passes null.
void SetText(std::string* target, const char* text) noexcept {
    if (!target)
        return;
    try {
        *target = text ? text : "";
    } catch (...) {
        target->clear();
    }
}

void SendRequest(CHttp& http, const std::string& agent, const std::string& path, Dead::IMessage** ppMessage) {
    if (!ppMessage) {
        http.SendPostRequest(agent.c_str(), path.c_str(), ExtraHeaders, nullptr, 0);
        return;
    }
    if (!*ppMessage)
        vcom::Fail(vcom::InvalidArgument);
    Dead::Stream request = Dead::Stream::Growable(RequestCapacity, RequestGrowth);
    if ((*ppMessage)->Write(&request) < 0)
        vcom::Fail(vcom::Failure);
    const Dead::Buffer& bytes = request.GetBuffer();
    http.SendPostRequest(agent.c_str(), path.c_str(), ExtraHeaders, bytes.Data(), static_cast<int>(bytes.Length()));
}

// The record is decoded from the body where it was received, its zero byte
// included.
void DecodeReply(const ReplyBody& body, Dead::IMessage*& record, std::string* responseBody) {
    auto borrowed = std::make_unique<Dead::Buffer>();
    borrowed->Assign(body.Data(), static_cast<std::uint32_t>(body.Size() + 1), false);
    Dead::Stream reply(std::move(borrowed));
    record->Release();
    record = nullptr;
    const vcom::ref<Dead::IMessageFactory> factory = Dead::GetMessageFactory();
    if (!factory)
        vcom::Fail(vcom::Failure);
    std::int32_t err = 0;
    vcom::IComponent* decoded = factory->DecodeReply(Dead::IMessage::Id, &err, &reply);
    // The reply record answers its primary interface, IMessage.
    record = static_cast<Dead::IMessage*>(decoded);
    if (!decoded) {
        tarnClientLib::TraceFailed("unreadable reply: a body of %zu bytes is not a reply record (code %d)",
                                   body.Size(), err);
        vcom::Fail(err);
    }
    if (responseBody)
        *responseBody = DecodedText;
}

std::int32_t Exchange(const std::string& strIPAddress, std::uint32_t dwPort, const std::string& strAgent,
                      const std::string& strRequestHeader, std::string* responseBody, std::uint32_t& bytesRead,
                      Dead::IMessage** ppMessage) {
    if (responseBody)
        responseBody->clear();
    bytesRead = 0;
    ReplyBody body;
    vcom::ScopedLock lock(HttpRequestLock);
    // Destroyed (socket closed) before the lock is released.
    CHttp http;
    http.ConnectBeforeSend(strIPAddress.c_str(), static_cast<int>(dwPort));
    SendRequest(http, strAgent, strRequestHeader, ppMessage);
    if (!http.ReadReply(body))
        vcom::Fail(vcom::Failure);
    bytesRead = static_cast<std::uint32_t>(body.Size());
    body.Terminate();
    if (ppMessage)
        DecodeReply(body, *ppMessage, responseBody);
    else if (responseBody)
        *responseBody = body.Data();
    return Succeeded;
}

// MakeHttpRequest, the response text kept only when responseBody is given.
std::int32_t Request(const std::string& strIPAddress, std::uint32_t dwPort, const std::string& strAgent,
                     const std::string& strRequestHeader, const std::string& strRequestType, std::string* responseBody,
                     std::uint32_t& bytesRead, Dead::IMessage** ppMessage) {
    tarnClientLib::Trace("Enter Function: Utility::MakeHttpRequest\n");
    tarnClientLib::Trace("strIPAddress = \"%s\"\ndwPort = %u\nstrAgent = \"%s\"\nstrRequestHeader = \"%s\"\n"
                         "strRequestType = \"%s\"\nstrResponseBody = \"%s\"\n*pdwBytesRead = %u\n",
                         strIPAddress.c_str(), dwPort, strAgent.c_str(), strRequestHeader.c_str(),
                         strRequestType.c_str(), responseBody ? responseBody->c_str() : "", bytesRead);
    try {
        return Exchange(strIPAddress, dwPort, strAgent, strRequestHeader, responseBody, bytesRead, ppMessage);
    } catch (const tarnClientLib::ResourceString& message) {
        SetText(responseBody, message.GetText());
    } catch (const CHttpException& failure) {
        SetText(responseBody, failure.what());
    } catch (...) {
        try {
            SetText(responseBody, tarnClientLib::MessageText(UnspecifiedFailureMessage).c_str());
        } catch (...) {
            SetText(responseBody, nullptr);
        }
    }
    return Failed;
}

} // namespace

std::int32_t MakeHttpRequest(const std::string& strIPAddress, std::uint32_t dwPort, const std::string& strAgent,
                             const std::string& strRequestHeader, const std::string& strRequestType,
                             std::string& strResponseBody, std::uint32_t* pdwBytesRead, Dead::IMessage** ppMessage) {
    std::uint32_t ignoredCount = 0;
    return Request(strIPAddress, dwPort, strAgent, strRequestHeader, strRequestType, &strResponseBody,
                   pdwBytesRead ? *pdwBytesRead : ignoredCount, ppMessage);
}

std::int32_t MakeHttpRequest(const std::string& strIPAddress, std::uint32_t dwPort, const std::string& strAgent,
                             const std::string& strRequestHeader, const std::string& strRequestType,
                             vcom::ref<Dead::IMessage>& record) {
    std::uint32_t bytesRead = 0;
    Dead::IMessage* exchanged = record.detach();
    const std::int32_t result = Request(strIPAddress, dwPort, strAgent, strRequestHeader, strRequestType, nullptr,
                                        bytesRead, &exchanged);
    record.reset(exchanged);
    return result;
}

} // namespace Utility
