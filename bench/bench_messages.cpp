// Encoding and decoding of service records, in MB/s of
// message bytes:
// - an AddressReply carrying a 64 KiB "serverlist";
// - a CustomerRequest with all seven fields.
// Encoding writes into a request body as Utility::MakeHttpRequest makes it (a
// growable buffer of 80 bytes, step 128); decoding runs DecodeReply /
// DecodeRequest over a stream that copies the received bytes, as the HTTP
// helper does, and is measured with that copy included.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dead/Message.h"
#include "dead/Records.h"
#include "dead/Stream.h"
#include "vcom/Ref.h"

namespace {

constexpr std::size_t kServerListBytes = 64 * 1024;

std::string ServerList() {
    std::string xml = "<serverlist>";
    for (int i = 0; xml.size() < kServerListBytes - 64; ++i)
        xml += "<server name=\"s" + std::to_string(i) + "\" address=\"10.0.0.1:7000\" uc=\"1\"/>";
    xml.resize(kServerListBytes - 13, ' ');
    xml += "</serverlist>";
    return xml;
}

vcom::ref<Dead::IMessage> AddressReply() {
    std::int32_t err = 0;
    const std::string list = ServerList();
    return vcom::ref<Dead::IMessage>(
        static_cast<Dead::IMessage*>(Dead::GetMessageFactory()->CreateAddressReply(-100, &err, list.c_str())));
}

vcom::ref<Dead::IMessage> CustomerRequest() {
    std::int32_t err = 0;
    return vcom::ref<Dead::IMessage>(static_cast<Dead::IMessage*>(Dead::GetMessageFactory()->CreateCustomerRequest(
        -100, &err, "TARNPRODUCT-2024", "publicname01", "s3cretPassw0rd", "LaunchEvent",
        "0123456789abcdef0123456789abcdef", "en-US", "{2F1E4D3C-5B6A-4978-8695-A4B3C2D1E0F9}")));
}

std::vector<unsigned char> Encoded(Dead::IMessage& record) {
    Dead::Stream s = Dead::Stream::Growable(80, 128);
    record.Write(&s);
    const Dead::Buffer& b = s.GetBuffer();
    return std::vector<unsigned char>(b.Data(), b.Data() + b.Length());
}

void Encode(benchmark::State& state, vcom::ref<Dead::IMessage> (*make)()) {
    vcom::ref<Dead::IMessage> record = make();
    const std::size_t bytes = Encoded(*record).size();
    for (auto _ : state) {
        Dead::Stream s = Dead::Stream::Growable(80, 128);
        if (record->Write(&s) != 0)
            state.SkipWithError("Write failed");
        benchmark::DoNotOptimize(s.GetBuffer().Data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["message_bytes"] = static_cast<double>(bytes);
}

void Decode(benchmark::State& state, vcom::ref<Dead::IMessage> (*make)(), bool reply) {
    const std::vector<unsigned char> bytes = Encoded(*make());
    vcom::ref<Dead::IMessageFactory> factory = Dead::GetMessageFactory();
    for (auto _ : state) {
        Dead::Stream s = Dead::Stream::FromBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        std::int32_t err = 0;
        vcom::ref<vcom::IComponent> record(reply ? factory->DecodeReply(-100, &err, &s)
                                                 : factory->DecodeRequest(-100, &err, &s));
        if (!record)
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(record.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    state.counters["message_bytes"] = static_cast<double>(bytes.size());
}

void BM_EncodeAddressReply64K(benchmark::State& state) { Encode(state, &AddressReply); }
void BM_DecodeAddressReply64K(benchmark::State& state) { Decode(state, &AddressReply, true); }
void BM_EncodeCustomerRequest(benchmark::State& state) { Encode(state, &CustomerRequest); }
void BM_DecodeCustomerRequest(benchmark::State& state) { Decode(state, &CustomerRequest, false); }

BENCHMARK(BM_EncodeAddressReply64K);
BENCHMARK(BM_DecodeAddressReply64K);
BENCHMARK(BM_EncodeCustomerRequest);
BENCHMARK(BM_DecodeCustomerRequest);

} // namespace

BENCHMARK_MAIN();
