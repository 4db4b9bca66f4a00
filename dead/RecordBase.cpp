#include "dead/RecordBase.h"

#include <cstring>
#include <new>

#include "dead/Stream.h"
#include "messages/ResourceString.h"
#include "vcom/Codes.h"
#include "vcom/MemHolder.h"

namespace Dead {

// ---- NamedField --------------------------------------------------------

std::int32_t NamedField::Write(Stream& stream) const {
    stream.WriteString(m_name);
    stream.WriteString(m_value);
    Buffer& buffer = stream.GetBuffer();
    const std::int32_t status = buffer.Status();
    buffer.ResetStatus();
    return status;
}

std::int32_t NamedField::Read(Stream& stream) {
    stream.ReadString(m_name);
    stream.ReadString(m_value);
    Buffer& buffer = stream.GetBuffer();
    const std::int32_t status = buffer.Status();
    buffer.ResetStatus();
    return status;
}

// ---- RecordCore --------------------------------------------------------

namespace {

// A string on the wire starts with its length, a 32-bit value.
constexpr std::uint32_t kLengthBytes = 4;

// Room made for the fields of a record being filled: all of an address
// request's at once, rather than one, two, then four.
constexpr std::size_t kFieldsSetAtOnce = 4;

// Puts the cursor and the content back where they were before a failed write
// or read; the buffer's status is left to the caller.
void Restore(Buffer& buffer, std::uint32_t position, std::uint32_t length) {
    const std::int32_t status = buffer.Status();
    buffer.SetPosition(position);
    buffer.SetLength(length);
    buffer.SetStatus(status);
}

// A buffer failure as a record result: -4 when the area could not be
// enlarged, -1 otherwise.
std::int32_t WriteFailure(std::int32_t bufferStatus) {
    return bufferStatus == BufferAllocFailed ? vcom::OutOfMemory : vcom::Failure;
}

} // namespace

// Wire order. The result is 0, or a negative code with the
// stream's position and length restored to what they were at entry:
//   -1 when the envelope cannot be written (also when the buffer already
//      carries a failure), when a list holds more than 65535 fields (its
//      count has 16 bits), or when any later write fails (fixed capacity);
//   -4 when a growable buffer cannot be enlarged.
// The buffer keeps the status of the first failure, so the caller can see it.
// (A record that did not fit is reported here rather than sent truncated.)
std::int32_t RecordCore::Write(Stream* stream) {
    if (!stream)
        return vcom::InvalidArgument;
    Buffer& buffer = stream->GetBuffer();
    const std::uint32_t position = buffer.Position();
    const std::uint32_t length = buffer.Length();
    vcom::ScopedLock guard(m_lock);
    try {
        stream->WriteUInt16(m_majorId);
        stream->WriteUInt16(m_minorId);
        if (buffer.Status() != BufferOk) {
            Restore(buffer, position, length);
            return vcom::Failure;
        }
        for (std::size_t i = 0; i < ListCount(); ++i) {
            if (m_lists[i].Size() > 0xFFFFu) {
                Restore(buffer, position, length);
                return vcom::Failure;
            }
        }
        if (m_shape == Shape::Reply)
            stream->WriteUInt16(m_status);
        for (std::size_t i = 0; i < ListCount(); ++i)
            stream->WriteUInt16(static_cast<std::uint16_t>(m_lists[i].Size()));
        std::int32_t failed = buffer.Status();
        for (std::size_t i = 0; i < ListCount(); ++i) {
            for (const NamedField& field : m_lists[i].fields) {
                const std::int32_t status = field.Write(*stream);
                if (failed == BufferOk)
                    failed = status;
            }
            const NamedField blank;
            for (std::uint32_t n = 0; n < m_lists[i].blank; ++n) {
                const std::int32_t status = blank.Write(*stream);
                if (failed == BufferOk)
                    failed = status;
            }
        }
        if (failed != BufferOk) {
            buffer.SetStatus(failed);
            Restore(buffer, position, length);
            return WriteFailure(failed);
        }
        return vcom::Success;
    } catch (const vcom::Code& code) {
        Restore(buffer, position, length);
        return static_cast<std::int32_t>(code);
    } catch (const std::bad_alloc&) {
        Restore(buffer, position, length);
        return vcom::OutOfMemory;
    } catch (...) {
        Restore(buffer, position, length);
        return vcom::Failure;
    }
}

// Wire order without the envelope, appending to the lists. A
// stream that runs short is no failure: counts that cannot be read are 0,
// fields that cannot be read are appended empty (counted, once no length fits). The result is 0, or -4 when
// a field cannot be allocated (position restored, fields appended so far
// stay).
std::int32_t RecordCore::Read(Stream* stream) {
    if (!stream)
        return vcom::InvalidArgument;
    Buffer& buffer = stream->GetBuffer();
    const std::uint32_t position = buffer.Position();
    vcom::ScopedLock guard(m_lock);
    try {
        if (m_shape == Shape::Reply)
            stream->ReadUInt16(m_status);
        std::uint16_t counts[2] = {0, 0};
        for (std::size_t i = 0; i < ListCount(); ++i)
            stream->ReadUInt16(counts[i]);
        for (std::size_t i = 0; i < ListCount(); ++i) {
            FieldList& list = m_lists[i];
            for (std::uint32_t n = 0; n < counts[i]; ++n) {
                // Fewer bytes than a string's length: every field from here on reads empty.
                if (buffer.Length() - buffer.Position() < kLengthBytes) {
                    list.blank += counts[i] - n;
                    break;
                }
                list.Unfold();
                // Appended first and read in place: the bytes go from the
                // buffer into the field's strings once and stay there.
                list.fields.emplace_back();
                list.fields.back().Read(*stream);
            }
        }
        return vcom::Success;
    } catch (const vcom::Code& code) {
        buffer.SetPosition(position);
        return static_cast<std::int32_t>(code);
    } catch (const std::bad_alloc&) {
        buffer.SetPosition(position);
        return vcom::OutOfMemory;
    } catch (...) {
        buffer.SetPosition(position);
        return vcom::Failure;
    }
}

std::int32_t RecordCore::Set(const char* name, const char* text) {
    if (!text)
        return vcom::InvalidArgument;
    try {
        NamedField field(name, text);
        vcom::ScopedLock guard(m_lock);
        FieldList& list = KindList();
        list.Unfold();
        if (list.fields.capacity() == 0)
            list.fields.reserve(kFieldsSetAtOnce);
        list.fields.push_back(std::move(field));
        return vcom::Success;
    } catch (...) {
        return vcom::OutOfMemory;
    }
}

const std::string* RecordCore::Find(const char* name) {
    vcom::ScopedLock guard(m_lock);
    for (const NamedField& field : KindList().fields) {
        if (field.Name() == name)
            return &field.Value();
    }
    return nullptr;
}

char* RecordCore::Get(const char* name) {
    const std::string* value = Find(name);
    return value ? vcom::CopyOut(*value) : nullptr;
}

std::int32_t RecordCore::Count(std::size_t list) {
    vcom::ScopedLock guard(m_lock);
    return static_cast<std::int32_t>(m_lists[list].Size());
}

std::uint16_t RecordCore::Status() {
    vcom::ScopedLock guard(m_lock);
    return m_status;
}

char* RecordCore::StatusText(unsigned (*messageFor)(std::uint16_t status)) {
    try {
        return vcom::CopyOut(tarnClientLib::MessageText(messageFor(Status())));
    } catch (...) {
        return nullptr;
    }
}

} // namespace Dead
