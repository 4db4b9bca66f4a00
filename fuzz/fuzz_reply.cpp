// Feeds arbitrary bytes, as all that a server sent before closing, to the
// reading of an HTTP reply: the header, then the body, then the decoding of
// a body that came whole. What must hold: a whole reply has an accepted
// status and a body inside the bytes, exactly as long as a declared length;
// a body decodes to a record or is refused, never anything else.
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
    const http::Reply reply = http::ParseReply(bytes, size);
    if (reply.verdict != http::ReplyVerdict::Whole)
        return 0;
    Check(http::StatusAccepted(reply.header.status), "a whole reply with a refused status");
    Check(reply.header.length > 0 && reply.body == bytes + reply.header.length &&
              reply.body + reply.bodySize <= bytes + size,
          "the body lies outside the reply");
    Check(reply.header.contentLength < 0 || reply.bodySize == std::size_t(reply.header.contentLength),
          "the body is not as long as declared");

    Dead::Stream stream = Dead::Stream::FromBytes(reply.body, static_cast<std::uint32_t>(reply.bodySize));
    const vcom::ref<Dead::IMessageFactory> factory = Dead::GetMessageFactory();
    std::int32_t err = 0;
    vcom::ref<vcom::IComponent> record(factory->DecodeReply(Dead::IMessage::Id, &err, &stream));
    Check(record || err < 0, "a refused body without a code");
    return 0;
}
