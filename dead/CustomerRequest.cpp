// CustomerRequest (1, 3): a ticket request to the customer servlets
// (contextid, product, public, password, eventname, machine, language).
#include "dead/RecordBase.h"

namespace Dead {

namespace {

class CustomerRequest : public RequestRecord<CustomerRequest, ICustomerRequestFields> {
public:
    CustomerRequest() : RequestRecord(CustomerRequestKind) {}

    std::int32_t SetContextId(const char* text) override { return Set("contextid", text); }
    char* GetContextId() override { return Get("contextid"); }
    std::int32_t SetProduct(const char* text) override { return Set("product", text); }
    char* GetProduct() override { return Get("product"); }
    std::int32_t SetPublic(const char* text) override { return Set("public", text); }
    char* GetPublic() override { return Get("public"); }
    std::int32_t SetPassword(const char* text) override { return Set("password", text); }
    char* GetPassword() override { return Get("password"); }
    std::int32_t SetEventName(const char* text) override { return Set("eventname", text); }
    char* GetEventName() override { return Get("eventname"); }
    std::int32_t SetMachine(const char* text) override { return Set("machine", text); }
    char* GetMachine() override { return Get("machine"); }
    std::int32_t SetLanguage(const char* text) override { return Set("language", text); }
    char* GetLanguage() override { return Get("language"); }
};

} // namespace

vcom::IComponent* NewCustomerRequest() { return NewRecord<CustomerRequest>(); }

} // namespace Dead
