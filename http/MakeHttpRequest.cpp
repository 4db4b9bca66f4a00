#include "http/MakeHttpRequest.h"

#include <chrono>
#include <thread>
#include <vector>

#include "dead/Stream.h"
#include "http/CHttp.h"
#include "messages/ResourceString.h"
#include "messages/Trace.h"
#include "platform/Time.h"
#include "vcom/Codes.h"
#include "vcom/CriticalSection.h"

namespace Utility {

namespace {

constexpr std::int32_t Succeeded = 200;
constexpr std::int32_t Failed = 999;

constexpr char ExtraHeaders[] = "Accept: application/octet-stream\r\n"
                                "Accept: text/*\r\n"
                                "Content-Type: application/octet-stream";
// The first reply bytes must come within 16 polls of one second each.
constexpr int FirstBytePolls = 16;
constexpr std::uint32_t PollMs = 1000;
constexpr int ChunkSize = 512;
constexpr std::uint32_t RequestCapacity = 80;
constexpr std::uint32_t RequestGrowth = 128;
constexpr char DecodedText[] = "Successful decoding of Dead::Buffer from HTTP Response";
constexpr unsigned UnspecifiedFailureMessage = 13;

// At most one exchange of the whole process is in flight.
vcom::CriticalSection HttpRequestLock;

// Failure texts are set without letting an allocation failure out.
void SetText(std::string& target, const char* text) noexcept {
    try {
        target = text ? text : "";
    } catch (...) {
        target.clear();
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

// Ends as soon as reply bytes are pending. A peer that has closed without a
// word keeps the socket readable with nothing pending: the rest of the poll is
// slept out, so the bound stays 16 polls and the loop never spins.
void WaitForReply(CHttp& http) {
    using Clock = std::chrono::steady_clock;
    for (int poll = 0; poll < FirstBytePolls; ++poll) {
        const auto pollEnd = Clock::now() + std::chrono::microseconds(platform::ScaledMicros(PollMs * 1000));
        http.WaitForData(PollMs);
        if (http.QueryDataAvailable() > 0)
            return;
        std::this_thread::sleep_until(pollEnd);
    }
    tarnClientLib::TraceFailed("no reply within %d polls of %u ms", FirstBytePolls, PollMs);
    vcom::Fail(vcom::Failure);
}

// Reads straight into the growing body, so a large reply costs linear time.
void ReadBody(CHttp& http, std::vector<char>& body) {
    for (;;) {
        const std::size_t had = body.size();
        body.resize(had + ChunkSize);
        int count = 0;
        if (!http.Read(body.data() + had, ChunkSize, count))
            vcom::Fail(vcom::Failure);
        body.resize(had + std::size_t(count));
        if (count == 0)
            return;
    }
}

void DecodeReply(const std::vector<char>& body, Dead::IMessage*& record, std::string& strResponseBody) {
    Dead::Stream reply = Dead::Stream::FromBytes(body.data(), static_cast<std::uint32_t>(body.size()));
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
                                   body.size() - 1, err);
        vcom::Fail(err);
    }
    strResponseBody = DecodedText;
}

std::int32_t Exchange(const std::string& strIPAddress, std::uint32_t dwPort, const std::string& strAgent,
                      const std::string& strRequestHeader, std::string& strResponseBody, std::uint32_t& bytesRead,
                      Dead::IMessage** ppMessage) {
    strResponseBody.clear();
    bytesRead = 0;
    std::vector<char> body;
    vcom::ScopedLock lock(HttpRequestLock);
    // Destroyed (socket closed) before the lock is released.
    CHttp http;
    http.Connect(strIPAddress.c_str(), static_cast<int>(dwPort));
    SendRequest(http, strAgent, strRequestHeader, ppMessage);
    WaitForReply(http);
    ReadBody(http, body);
    bytesRead = static_cast<std::uint32_t>(body.size());
    body.push_back('\0');
    if (ppMessage)
        DecodeReply(body, *ppMessage, strResponseBody);
    else
        strResponseBody = body.data();
    return Succeeded;
}

} // namespace

std::int32_t MakeHttpRequest(const std::string& strIPAddress, std::uint32_t dwPort, const std::string& strAgent,
                             const std::string& strRequestHeader, const std::string& strRequestType,
                             std::string& strResponseBody, std::uint32_t* pdwBytesRead, Dead::IMessage** ppMessage) {
    std::uint32_t ignoredCount = 0;
    std::uint32_t& bytesRead = pdwBytesRead ? *pdwBytesRead : ignoredCount;
    tarnClientLib::Trace("Enter Function: Utility::MakeHttpRequest\n");
    tarnClientLib::Trace("strIPAddress = \"%s\"\ndwPort = %u\nstrAgent = \"%s\"\nstrRequestHeader = \"%s\"\n"
                         "strRequestType = \"%s\"\nstrResponseBody = \"%s\"\n*pdwBytesRead = %u\n",
                         strIPAddress.c_str(), dwPort, strAgent.c_str(), strRequestHeader.c_str(),
                         strRequestType.c_str(), strResponseBody.c_str(), bytesRead);
    try {
        return Exchange(strIPAddress, dwPort, strAgent, strRequestHeader, strResponseBody, bytesRead, ppMessage);
    } catch (const tarnClientLib::ResourceString& message) {
        SetText(strResponseBody, message.GetText());
    } catch (const CHttpException& failure) {
        SetText(strResponseBody, failure.what());
    } catch (...) {
        try {
            strResponseBody = tarnClientLib::MessageText(UnspecifiedFailureMessage);
        } catch (...) {
            strResponseBody.clear();
        }
    }
    return Failed;
}

} // namespace Utility
