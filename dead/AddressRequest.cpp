// AddressRequest (1, 1): the selectors of an address query.
#include "dead/RecordBase.h"

namespace Dead {

namespace {

class AddressRequest : public RequestRecord<AddressRequest, IAddressRequestFields> {
public:
    AddressRequest() : RequestRecord(AddressRequestKind) {}

    std::int32_t SetProduct(const char* text) override { return Set("product", text); }
    char* GetProduct() override { return Get("product"); }
    std::int32_t SetCategory(const char* text) override { return Set("category", text); }
    char* GetCategory() override { return Get("category"); }
    std::int32_t SetServer(const char* text) override { return Set("server", text); }
    char* GetServer() override { return Get("server"); }
    std::int32_t SetAtt1(const char* text) override { return Set("att1", text); }
    char* GetAtt1() override { return Get("att1"); }
    std::int32_t SetAtt2(const char* text) override { return Set("att2", text); }
    char* GetAtt2() override { return Get("att2"); }
    std::int32_t SetAtt3(const char* text) override { return Set("att3", text); }
    char* GetAtt3() override { return Get("att3"); }
};

} // namespace

vcom::IComponent* NewAddressRequest() { return NewRecord<AddressRequest>(); }

} // namespace Dead
