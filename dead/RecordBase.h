// What the four service records share: named fields, the lists,
// the lock, Write and Read in wire order, field access and status texts. A
// record class is then its field table and, for a reply, its status table.
#ifndef TARN_DEAD_RECORDBASE_H
#define TARN_DEAD_RECORDBASE_H

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "dead/Message.h"
#include "dead/Records.h"
#include "vcom/Component.h"
#include "vcom/CriticalSection.h"

namespace Dead {

class Stream;

// A name and a value; on the wire two strings, the name first.
class NamedField {
public:
    NamedField() = default;
    NamedField(std::string name, std::string value) : m_name(std::move(name)), m_value(std::move(value)) {}

    // Each returns the buffer's status after both strings and resets it to 0.
    std::int32_t Write(Stream& stream) const;
    std::int32_t Read(Stream& stream);

    const std::string& Name() const { return m_name; }
    const std::string& Value() const { return m_value; }

private:
    std::string m_name;
    std::string m_value;
};

// A list of named fields. Fields that lay past the end of the data read as
// empty name and value; once nothing more can be read they are only counted
// (`blank`, after `fields`), since a reply of a few bytes may declare 65,535.
struct FieldList {
    std::vector<NamedField> fields;
    std::uint32_t blank = 0;

    std::size_t Size() const { return fields.size() + blank; }
    // Before a field is appended: the counted blank fields become real ones, in their place.
    void Unfold() {
        fields.resize(Size());
        blank = 0;
    }
};

// The state and behaviour of every record, request or reply.
//   request: lists[0] is the first list (nothing sets it), lists[1] the second
//            (the kind's fields); wire: major, minor, count 1, count 2,
//            fields of list 1, fields of list 2.
//   reply:   lists[0] holds the fields; wire: major, minor, status, count, fields.
class RecordCore {
public:
    enum class Shape { Request, Reply };

    RecordCore(Shape shape, std::uint16_t minorId) : m_shape(shape), m_minorId(minorId) {}
    RecordCore(const RecordCore&) = delete;
    RecordCore& operator=(const RecordCore&) = delete;

    std::int32_t Write(Stream* stream);
    std::int32_t Read(Stream* stream);

    // The kind's fields: the second list of a request, the list of a reply.
    std::int32_t Set(const char* name, const char* text);
    char* Get(const char* name);
    // The value of the first field name of the kind's list, or null.
    const std::string* Find(const char* name);

    std::int32_t Count(std::size_t list);
    std::uint16_t Status();
    // The text of message messageFor(status), as a new copy, or null.
    char* StatusText(unsigned (*messageFor)(std::uint16_t status));

private:
    FieldList& KindList() { return m_lists[m_shape == Shape::Request ? 1 : 0]; }
    std::size_t ListCount() const { return m_shape == Shape::Request ? 2 : 1; }

    const Shape m_shape;
    const std::uint16_t m_majorId = RecordMajorId;
    const std::uint16_t m_minorId;
    vcom::CriticalSection m_lock;
    std::uint16_t m_status = 0; // replies only
    FieldList m_lists[2];
};

// A request record: IMessage (0, -100), IRequestCounts (200), Kind.
template <class Self, class Kind>
class RequestRecord
    : public vcom::Component<Self, vcom::Iface<IMessage>, vcom::Iface<IRequestCounts>, vcom::Iface<Kind>> {
public:
    std::int32_t Write(Stream* stream) override { return m_core.Write(stream); }
    std::int32_t Read(Stream* stream) override { return m_core.Read(stream); }
    std::int32_t GetFirstListCount() override { return m_core.Count(0); }
    std::int32_t GetSecondListCount() override { return m_core.Count(1); }

protected:
    explicit RequestRecord(std::uint16_t minorId) : m_core(RecordCore::Shape::Request, minorId) {}

    std::int32_t Set(const char* name, const char* text) { return m_core.Set(name, text); }
    char* Get(const char* name) { return m_core.Get(name); }

private:
    RecordCore m_core;
};

// A reply record: IMessage (0, -100), IReplyStatus (201), Kind (also 202).
// Self provides `static unsigned StatusMessage(std::uint16_t status)`.
template <class Self, class Kind>
class ReplyRecord : public vcom::Component<Self, vcom::Iface<IMessage>, vcom::Iface<IReplyStatus>,
                                           vcom::Iface<Kind, ReplyFieldsId>> {
public:
    std::int32_t Write(Stream* stream) override { return m_core.Write(stream); }
    std::int32_t Read(Stream* stream) override { return m_core.Read(stream); }
    std::uint16_t GetStatus() override { return m_core.Status(); }
    std::int32_t GetFieldCount() override { return m_core.Count(0); }
    char* GetStatusText() override { return m_core.StatusText(&Self::StatusMessage); }

    // For the library's own reads (Records.h): no copy.
    const std::string* Lend(const char* name) { return m_core.Find(name); }

protected:
    explicit ReplyRecord(std::uint16_t minorId) : m_core(RecordCore::Shape::Reply, minorId) {}

    std::int32_t Set(const char* name, const char* text) { return m_core.Set(name, text); }
    char* Get(const char* name) { return m_core.Get(name); }

private:
    RecordCore m_core;
};

// A new record T with its count at 0, as its primary interface; null when it
// cannot be allocated.
template <class T>
vcom::IComponent* NewRecord() {
    T* record = new (std::nothrow) T();
    return record ? record->Primary() : nullptr;
}

// The four records (AddressRequest.cpp, AddressReply.cpp, CustomerRequest.cpp,
// TicketReply.cpp), made as NewRecord does.
vcom::IComponent* NewAddressRequest();
vcom::IComponent* NewAddressReply();
vcom::IComponent* NewCustomerRequest();
vcom::IComponent* NewTicketReply();

} // namespace Dead

#endif
