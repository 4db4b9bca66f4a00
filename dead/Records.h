// The four service records the message factory makes and decodes, and
// their interfaces. The kind table (CreateRecord) lives here with the
// records, so the codec needs no service folder. Hosts never see these.
//
// Every record answers 0 and -100 with IMessage (Write, Read), a
// request also 200 (IRequestCounts) and its kind interface (2008 or 2010), a
// reply also 201 (IReplyStatus) and its kind interface (2009 or 2011, both
// also answered for 202).
//
// Setters: a NUL-terminated text; null gives -5 and changes nothing; each
// call appends one named field (setting a field twice stores and writes it
// twice); -4 when the field cannot be allocated; else 0.
// Getters: a new copy (TarnClientLib_MemAlloc) of the value of the first field
// of that name, or null when there is none or the copy fails.
#ifndef TARN_DEAD_RECORDS_H
#define TARN_DEAD_RECORDS_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>

namespace Dead {

// Counting interface of a request.
class IRequestCounts : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 200;
    virtual std::int32_t GetFirstListCount() = 0;
    virtual std::int32_t GetSecondListCount() = 0;
};

// Status interface of a reply.
class IReplyStatus : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 201;
    // The 16-bit application status; 0 is success.
    virtual std::uint16_t GetStatus() = 0;
    virtual std::int32_t GetFieldCount() = 0;
};

// The id that also names the kind interface of either reply.
constexpr std::int32_t ReplyFieldsId = 202;

// Kind interface of AddressRequest (1, 1).
class IAddressRequestFields : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 2008;
    virtual std::int32_t SetProduct(const char* text) = 0;
    virtual char* GetProduct() = 0;
    virtual std::int32_t SetCategory(const char* text) = 0;
    virtual char* GetCategory() = 0;
    virtual std::int32_t SetServer(const char* text) = 0;
    virtual char* GetServer() = 0;
    virtual std::int32_t SetAtt1(const char* text) = 0;
    virtual char* GetAtt1() = 0;
    virtual std::int32_t SetAtt2(const char* text) = 0;
    virtual char* GetAtt2() = 0;
    virtual std::int32_t SetAtt3(const char* text) = 0;
    virtual char* GetAtt3() = 0;
};

// Kind interface of AddressReply (1, 2); also id 202.
class IAddressReplyFields : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 2009;
    // Status 0: message 90; 9001: message 88; any other: message 89.
    virtual char* GetStatusText() = 0;
    virtual std::int32_t SetServerList(const char* text) = 0;
    virtual char* GetServerList() = 0;
};

// Kind interface of CustomerRequest (1, 3).
class ICustomerRequestFields : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 2010;
    virtual std::int32_t SetContextId(const char* text) = 0;
    virtual char* GetContextId() = 0;
    virtual std::int32_t SetProduct(const char* text) = 0;
    virtual char* GetProduct() = 0;
    virtual std::int32_t SetPublic(const char* text) = 0;
    virtual char* GetPublic() = 0;
    virtual std::int32_t SetPassword(const char* text) = 0;
    virtual char* GetPassword() = 0;
    virtual std::int32_t SetEventName(const char* text) = 0;
    virtual char* GetEventName() = 0;
    virtual std::int32_t SetMachine(const char* text) = 0;
    virtual char* GetMachine() = 0;
    virtual std::int32_t SetLanguage(const char* text) = 0;
    virtual char* GetLanguage() = 0;
};

// Kind interface of TicketReply (1, 4); also id 202.
class ITicketReplyFields : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 2011;
    // Status 0: message 90; 2001..2008: 80..87; 2009: 92; any other: 89.
    virtual char* GetStatusText() = 0;
    virtual std::int32_t SetKey(const char* text) = 0;
    virtual char* GetKey() = 0;
    virtual std::int32_t SetLifetime(const char* text) = 0;
    virtual char* GetLifetime() = 0;
};

// The message envelope of the four records.
constexpr std::uint16_t RecordMajorId = 1;
enum RecordKind : std::uint16_t {
    AddressRequestKind = 1,
    AddressReplyKind = 2,
    CustomerRequestKind = 3,
    TicketReplyKind = 4,
};

// Whether minorId names a request kind (1, 3) / a reply kind (2, 4).
constexpr bool IsRequestKind(std::uint16_t minorId) {
    return minorId == AddressRequestKind || minorId == CustomerRequestKind;
}
constexpr bool IsReplyKind(std::uint16_t minorId) {
    return minorId == AddressReplyKind || minorId == TicketReplyKind;
}

// A new, empty record of kind minorId (major id 1), through the creation
// handshake: interface id of it with one reference for the
// caller. Null with *err set: -4 when it cannot be allocated, -1 when minorId
// is not a record kind or the record does not answer id. Throws nothing.
vcom::IComponent* CreateRecord(std::uint16_t minorId, std::int32_t id, std::int32_t* err);

// ---- How the library itself reads a decoded reply ----

// The reply's status, read first, through interface 201, which every reply
// kind answers. A status other than 0 is traced as refused, with the status
// text of the record's kind where it has one. Throws the query's code (-1 at
// least) when the record answers no 201.
std::uint16_t ReadReplyStatus(vcom::IComponent& reply);

// A field's value lent by the record, without the copy a getter makes for a
// host: valid while the record lives and is not changed; null when the
// record has no such field.
const std::string* LendServerList(IAddressReplyFields& reply);
const std::string* LendKey(ITicketReplyFields& reply);
const std::string* LendLifetime(ITicketReplyFields& reply);

// The message that describes a reply's status (0: 90; 9001: 88 for an
// address reply; 2001 to 2009: 80 to 87 and 92 for a ticket reply; any other:
// 89).
unsigned AddressReplyStatusMessage(std::uint16_t status);
unsigned TicketReplyStatusMessage(std::uint16_t status);

} // namespace Dead

#endif
