// A message from the library module's string table, with up to two texts put
// into its %s placeholders, kept in single-byte and wide form. Also thrown as
// the exception that carries a message.
#ifndef TARN_MESSAGES_RESOURCESTRING_H
#define TARN_MESSAGES_RESOURCESTRING_H

#include <string>

#include "vcom/CriticalSection.h"

namespace tarnClientLib {

class ResourceString {
public:
    // module names the loaded module whose string table is read (kModuleName).
    // An unknown module or id, or a failed allocation, gives an empty object
    // whose accessors return null; the constructors never throw.
    ResourceString(const char* module, unsigned id) noexcept;
    ResourceString(const char* module, unsigned id, const char* arg1) noexcept;
    ResourceString(const char* module, unsigned id, const char* arg1, const char* arg2) noexcept;
    ResourceString(const ResourceString& other) noexcept;
    ResourceString& operator=(const ResourceString&) = delete;
    ~ResourceString();

    // The text itself, valid for the life of the object; null when empty.
    const char* GetText() const;

private:
    void Build(const char* module, unsigned id, const char* const* args, int argCount) noexcept;

    char* m_text = nullptr;
    char* m_textCopy = nullptr;
    char16_t* m_wideText = nullptr;
    char16_t* m_wideCopy = nullptr;
    mutable vcom::CriticalSection m_lock;
};

// The text of message id from the library module; "" when there is none.
std::string MessageText(unsigned id);

} // namespace tarnClientLib

#endif
