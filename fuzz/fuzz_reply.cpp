// Feeds arbitrary bytes, as all that a server sent before closing, to what
// the library runs on a reply: http::ParseReplyHeader and
// http::StatusAccepted, as CHttp::ReadHeader calls them, and
// IMessageFactory::DecodeReply on the body, as Utility::MakeHttpRequest
// calls it. The body is cut as CHttp reads it: exactly a declared length, or
// to the close. What must hold: a header lies inside the bytes and its first
// 4096; a body decodes to a record or is refused with a code.
#include <cstddef>
#include <cstdint>

#include "dead/Message.h"
#include "dead/Stream.h"
#include "fuzz/Check.h"
#include "http/ReplyHeader.h"
#include "vcom/Ref.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const http::ReplyHeader header = http::ParseReplyHeader(bytes, size);
    Check(header.length >= 0 && std::size_t(header.length) <= size && std::size_t(header.length) <= http::MaxHeaderBytes,
          "the header lies outside the bytes");
    if (header.length == 0 || header.version == 0 || !http::StatusAccepted(header.status))
        return 0;
    const std::size_t received = size - std::size_t(header.length);
    const bool declared = header.contentLength != http::LengthNotDeclared;
    if (declared && received < std::size_t(header.contentLength))
        return 0; // cut short: CHttp fails the exchange
    const std::size_t bodySize = declared ? std::size_t(header.contentLength) : received;

    Dead::Stream stream = Dead::Stream::FromBytes(bytes + header.length, static_cast<std::uint32_t>(bodySize));
    const vcom::ref<Dead::IMessageFactory> factory = Dead::GetMessageFactory();
    std::int32_t err = 0;
    vcom::ref<vcom::IComponent> record(factory->DecodeReply(Dead::IMessage::Id, &err, &stream));
    Check(record || err < 0, "a refused body without a code");
    return 0;
}
