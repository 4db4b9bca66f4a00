#include "messages/ResourceString.h"

#include <cstring>

#include "messages/Module.h"
#include "messages/TextBuffers.h"
#include "platform/StringTable.h"

namespace tarnClientLib {

namespace {

// The room for one loaded text: 254 characters and the terminator.
const int kLoadCapacity = 255;

// Prints args into out with format as a printf format. The messages built with
// arguments hold only %s placeholders; each takes the next argument (a null or
// missing one prints as nothing), %% prints %, any other % prints as itself.
// out has room for the format's length plus the arguments' lengths.
void FormatStrings(char* out, const char* format, const char* const* args, int argCount) {
    int next = 0;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            const char* arg = next < argCount ? args[next] : nullptr;
            ++next;
            ++p;
            if (arg) {
                const std::size_t length = std::strlen(arg);
                std::memcpy(out, arg, length);
                out += length;
            }
        } else if (p[0] == '%' && p[1] == '%') {
            *out++ = '%';
            ++p;
        } else {
            *out++ = *p;
        }
    }
    *out = '\0';
}

} // namespace

ResourceString::ResourceString(const char* module, unsigned id) noexcept { Build(module, id, nullptr, 0); }

ResourceString::ResourceString(const char* module, unsigned id, const char* arg1) noexcept {
    const char* args[] = {arg1};
    Build(module, id, args, 1);
}

ResourceString::ResourceString(const char* module, unsigned id, const char* arg1, const char* arg2) noexcept {
    const char* args[] = {arg1, arg2};
    Build(module, id, args, 2);
}

ResourceString::ResourceString(const ResourceString& other) noexcept {
    vcom::ScopedLock guard(other.m_lock);
    TextBuffers(m_text, m_textCopy, m_wideText, m_wideCopy).CopyFrom(other.m_text, other.m_wideText);
}

ResourceString::~ResourceString() { TextBuffers(m_text, m_textCopy, m_wideText, m_wideCopy).Free(); }

void ResourceString::Build(const char* module, unsigned id, const char* const* args, int argCount) noexcept {
    char loaded[kLoadCapacity];
    const int loadedLength = platform::LoadModuleString(module, id, loaded, kLoadCapacity);
    if (loadedLength <= 0)
        return;
    std::size_t length = static_cast<std::size_t>(loadedLength);
    for (int i = 0; i < argCount; ++i)
        length += args[i] ? std::strlen(args[i]) : 0;

    TextBuffers buffers(m_text, m_textCopy, m_wideText, m_wideCopy);
    if (!buffers.Allocate(length))
        return;
    vcom::ScopedLock guard(m_lock);
    if (argCount == 0) {
        buffers.Fill(loaded);
    } else {
        FormatStrings(m_text, loaded, args, argCount);
        buffers.Complete();
    }
}

const char* ResourceString::GetText() const {
    vcom::ScopedLock guard(m_lock);
    return m_text;
}

std::string MessageText(unsigned id) {
    const ResourceString message(kModuleName, id);
    const char* text = message.GetText();
    return text ? text : "";
}

} // namespace tarnClientLib
