// AddressReply (1, 2): the address server's answer, a status and the
// "serverlist" XML text.
#include "dead/RecordBase.h"

namespace Dead {

namespace {

class AddressReply : public ReplyRecord<AddressReply, IAddressReplyFields> {
public:
    AddressReply() : ReplyRecord(AddressReplyKind) {}

    static unsigned StatusMessage(std::uint16_t status) { return AddressReplyStatusMessage(status); }

    std::int32_t SetServerList(const char* text) override { return Set("serverlist", text); }
    char* GetServerList() override { return Get("serverlist"); }
};

} // namespace

// 0: "Application Success!"; 9001: "Application error 9001: Tarn service
// unavailable."; any other: "Unrecognized Tarn Application Error Code.".
unsigned AddressReplyStatusMessage(std::uint16_t status) {
    switch (status) {
    case 0: return 90;
    case 9001: return 88;
    default: return 89;
    }
}

vcom::IComponent* NewAddressReply() { return NewRecord<AddressReply>(); }

// AddressReply is the one implementation of its kind interface.
const std::string* LendServerList(IAddressReplyFields& reply) {
    return static_cast<AddressReply&>(reply).Lend("serverlist");
}

} // namespace Dead
