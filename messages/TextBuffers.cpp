#include "messages/TextBuffers.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "platform/Text.h"

namespace tarnClientLib {

bool TextBuffers::Allocate(std::size_t length) noexcept {
    Free();
    m_length = length;
    m_text = new (std::nothrow) char[length + 1];
    m_textCopy = new (std::nothrow) char[length + 1];
    m_wide = new (std::nothrow) char16_t[length + 1];
    m_wideCopy = new (std::nothrow) char16_t[length + 1];
    if (m_text && m_textCopy && m_wide && m_wideCopy)
        return true;
    Free();
    return false;
}

bool TextBuffers::Complete() noexcept {
    std::memcpy(m_textCopy, m_text, std::strlen(m_text) + 1);
    std::u16string wide;
    try {
        wide = platform::AnsiToWide(m_text);
    } catch (...) {
        Free();
        return false;
    }
    StoreWide(wide.data(), wide.size());
    return true;
}

bool TextBuffers::Fill(const char* text) noexcept {
    const std::size_t length = std::min(std::strlen(text), m_length);
    std::memcpy(m_text, text, length);
    m_text[length] = '\0';
    return Complete();
}

bool TextBuffers::CopyFrom(const char* text, const char16_t* wide) noexcept {
    Free();
    if (!text)
        return true;
    if (!Allocate(std::strlen(text)))
        return false;
    std::memcpy(m_text, text, m_length + 1);
    std::memcpy(m_textCopy, text, m_length + 1);
    StoreWide(wide, std::char_traits<char16_t>::length(wide));
    return true;
}

void TextBuffers::StoreWide(const char16_t* wide, std::size_t length) noexcept {
    // One byte never makes more than one wide character; the bound only guards the buffers.
    length = std::min(length, m_length);
    for (char16_t* target : {m_wide, m_wideCopy}) {
        std::copy_n(wide, length, target);
        target[length] = u'\0';
    }
}

void TextBuffers::Free() noexcept {
    delete[] m_text;
    delete[] m_textCopy;
    delete[] m_wide;
    delete[] m_wideCopy;
    m_text = m_textCopy = nullptr;
    m_wide = m_wideCopy = nullptr;
    m_length = 0;
}

} // namespace tarnClientLib
