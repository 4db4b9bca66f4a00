// Feeds arbitrary bytes to IMessageFactory::DecodeReply and DecodeRequest
// and re-encodes every record that decodes.
//
// What must hold for every input, besides the sanitizers' own checks:
// - a refused input (null) leaves the stream's position where it started;
// - a decoded record answers its interfaces, and its getters and status text
//   work (each returns a buffer or null, freed here);
// - the decoded record writes itself (Write returns 0), and its encoding is a
//   fixed point: decoding it again and writing that gives the same bytes.
// Any violation aborts, which libFuzzer reports as a finding.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include <tarnclient/TarnClient.h>

#include "dead/Message.h"
#include "dead/Records.h"
#include "dead/Stream.h"
#include "fuzz/Check.h"
#include "vcom/Ref.h"

namespace {

using fuzz::Check;

template <class I>
vcom::ref<I> As(vcom::IComponent* record) {
    std::int32_t err = 0;
    return vcom::Query<I>(record, &err);
}

void FreeAll(std::initializer_list<char*> texts) {
    for (char* text : texts)
        TarnClientLib_MemFree(text);
}

// Calls every getter the record has (the first-match search over all
// fields); gives the number of fields.
std::int64_t Touch(vcom::IComponent* record) {
    if (auto f = As<Dead::IAddressRequestFields>(record))
        FreeAll({f->GetProduct(), f->GetCategory(), f->GetServer(), f->GetAtt1(), f->GetAtt2(), f->GetAtt3()});
    if (auto f = As<Dead::ICustomerRequestFields>(record))
        FreeAll({f->GetContextId(), f->GetProduct(), f->GetPublic(), f->GetPassword(), f->GetEventName(),
                 f->GetMachine(), f->GetLanguage()});
    if (auto f = As<Dead::IAddressReplyFields>(record))
        FreeAll({f->GetStatusText(), f->GetServerList()});
    if (auto f = As<Dead::ITicketReplyFields>(record))
        FreeAll({f->GetStatusText(), f->GetKey(), f->GetLifetime()});
    std::int64_t count = 0;
    if (auto s = As<Dead::IReplyStatus>(record))
        count = s->GetFieldCount();
    if (auto c = As<Dead::IRequestCounts>(record))
        count = static_cast<std::int64_t>(c->GetFirstListCount()) + c->GetSecondListCount();
    Check(count >= 0, "a negative field count");
    return count;
}

std::vector<unsigned char> Encode(vcom::IComponent* record) {
    auto message = As<Dead::IMessage>(record);
    Check(static_cast<bool>(message), "record without IMessage");
    Dead::Stream out = Dead::Stream::Growable(80, 128); // a request body's
    Check(message->Write(&out) == 0, "a decoded record does not write itself");
    const Dead::Buffer& b = out.GetBuffer();
    return std::vector<unsigned char>(b.Data(), b.Data() + b.Length());
}

vcom::ref<vcom::IComponent> Decode(bool reply, const unsigned char* data, std::size_t size) {
    Dead::Stream in = Dead::Stream::FromBytes(data, static_cast<std::uint32_t>(size));
    const vcom::ref<Dead::IMessageFactory> factory = Dead::GetMessageFactory();
    std::int32_t err = 0;
    vcom::ref<vcom::IComponent> record(reply ? factory->DecodeReply(-100, &err, &in)
                                             : factory->DecodeRequest(-100, &err, &in));
    Check(record ? err == 0 : err < 0, "a code that does not match the result");
    Check(record || in.GetBuffer().Position() == 0, "a refused input moved the position");
    Check(in.GetBuffer().Position() <= size, "position past the input");
    return record;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0xFFFFFFFFu)
        return 0;
    for (bool reply : {true, false}) {
        vcom::ref<vcom::IComponent> record = Decode(reply, data, size);
        // A count far above the bytes given means hundreds of empty fields, and
        // the body grows by 128 bytes at a time while they are written: such
        // writes would only slow every run down.
        if (!record || Touch(record.get()) > 128)
            continue;
        const std::vector<unsigned char> first = Encode(record.get());
        vcom::ref<vcom::IComponent> again = Decode(reply, first.data(), first.size());
        Check(static_cast<bool>(again), "a written record does not decode");
        Check(Encode(again.get()) == first, "the encoding is not a fixed point");
    }
    return 0;
}
