#include "messages/InputException.h"

#include <cstring>

#include "messages/TextBuffers.h"

namespace tarnClientLib {

InputException::InputException(const char* message, const char* title) noexcept {
    message = message ? message : "";
    title = title ? title : "";
    TextBuffers messageBuffers(m_message, m_messageCopy, m_wideMessage, m_wideMessageCopy);
    TextBuffers titleBuffers(m_title, m_titleCopy, m_wideTitle, m_wideTitleCopy);
    vcom::ScopedLock guard(m_lock);
    if (messageBuffers.Allocate(std::strlen(message)) && titleBuffers.Allocate(std::strlen(title)) &&
        messageBuffers.Fill(message) && titleBuffers.Fill(title))
        return;
    messageBuffers.Free();
    titleBuffers.Free();
}

InputException::InputException(const InputException& other) noexcept {
    TextBuffers messageBuffers(m_message, m_messageCopy, m_wideMessage, m_wideMessageCopy);
    TextBuffers titleBuffers(m_title, m_titleCopy, m_wideTitle, m_wideTitleCopy);
    vcom::ScopedLock guard(other.m_lock);
    if (messageBuffers.CopyFrom(other.m_message, other.m_wideMessage) &&
        titleBuffers.CopyFrom(other.m_title, other.m_wideTitle))
        return;
    messageBuffers.Free();
    titleBuffers.Free();
}

InputException::~InputException() {
    TextBuffers(m_message, m_messageCopy, m_wideMessage, m_wideMessageCopy).Free();
    TextBuffers(m_title, m_titleCopy, m_wideTitle, m_wideTitleCopy).Free();
}

const char* InputException::GetMessage() const {
    vcom::ScopedLock guard(m_lock);
    return m_message;
}

const char* InputException::GetTitle() const {
    vcom::ScopedLock guard(m_lock);
    return m_title;
}

} // namespace tarnClientLib
