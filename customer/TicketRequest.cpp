#include "customer/TicketRequest.h"

#include "customer/ReportedCode.h"
#include "http/MakeHttpRequest.h"
#include "vcom/Codes.h"

namespace customer {

namespace {

const char kUserAgent[] = "Tarn Customer Manager/1.0";
const char kMethod[] = "POST";
// MakeHttpRequest answers 200 on success and 999 on any failure.
const std::int32_t kFirstFailedResult = 300;

} // namespace

vcom::ref<Dead::IMessage> NewTicketRequest(const GetTicketArgs& args, const TicketRequestLogin& login) {
    std::int32_t err = vcom::Success;
    // The factory leaves out absent fields and puts the rest in wire order.
    vcom::ref<Dead::IMessage> request(static_cast<Dead::IMessage*>(Dead::GetMessageFactory()->CreateCustomerRequest(
        Dead::IMessage::Id, &err, args.ProductOrNull(), login.publicName.c_str(), login.password.Reveal().c_str(),
        args.EventName(), args.ContextId(), args.Language(), login.machineId.c_str())));
    if (!request)
        FailWithReported(err);
    return request;
}

vcom::ref<Dead::IMessage> SendTicketRequest(const TicketRequestSender& sender, vcom::ref<Dead::IMessage> record,
                                            const platform::WaitLimits& call) {
    // The record goes in as the request and comes back as the reply (or null).
    const std::int32_t result = Utility::MakeHttpRequest(sender.host, static_cast<std::uint32_t>(sender.port), kUserAgent,
                                                         sender.path, kMethod, record, call);
    if (result >= kFirstFailedResult || !record)
        vcom::Fail(vcom::Failure);
    return record;
}

} // namespace customer
