// The exception for a missing or invalid input value found before a request
// is sent: a message and a title, each in single-byte and wide form.
//
// windows.h defines GetMessage as a macro; a file that includes it must not
// include this header.
#ifndef TARN_MESSAGES_INPUTEXCEPTION_H
#define TARN_MESSAGES_INPUTEXCEPTION_H

#include "vcom/CriticalSection.h"

namespace tarnClientLib {

class InputException {
public:
    // A failed allocation gives an empty object whose accessors return null;
    // the constructors never throw.
    InputException(const char* message, const char* title) noexcept;
    InputException(const InputException& other) noexcept;
    InputException& operator=(const InputException&) = delete;
    ~InputException();

    // The texts themselves, valid for the life of the object; null when empty.
    const char* GetMessage() const;
    const char* GetTitle() const;

private:
    char* m_message = nullptr;
    char* m_title = nullptr;
    char* m_messageCopy = nullptr;
    char* m_titleCopy = nullptr;
    char16_t* m_wideMessage = nullptr;
    char16_t* m_wideTitle = nullptr;
    char16_t* m_wideMessageCopy = nullptr;
    char16_t* m_wideTitleCopy = nullptr;
    mutable vcom::CriticalSection m_lock;
};

} // namespace tarnClientLib

#endif
