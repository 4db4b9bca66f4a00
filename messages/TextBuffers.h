// One text kept four times, as ResourceString and InputException keep their
// texts: single-byte, a single-byte copy, wide, a wide copy.
#ifndef TARN_MESSAGES_TEXTBUFFERS_H
#define TARN_MESSAGES_TEXTBUFFERS_H

#include <cstddef>

namespace tarnClientLib {

// Works on four buffer fields of its owner: all allocated together (length + 1
// characters each) or all null. Never throws.
class TextBuffers {
public:
    TextBuffers(char*& text, char*& textCopy, char16_t*& wide, char16_t*& wideCopy) noexcept
        : m_text(text), m_textCopy(textCopy), m_wide(wide), m_wideCopy(wideCopy) {}
    TextBuffers(const TextBuffers&) = delete;
    TextBuffers& operator=(const TextBuffers&) = delete;

    // Allocates the four buffers for a text of length characters; false, and
    // all null, when any allocation fails.
    bool Allocate(std::size_t length) noexcept;
    // After Allocate, once the single-byte buffer holds its text: fills the
    // copy and both wide buffers (ANSI code page). False, and all freed, on failure.
    bool Complete() noexcept;
    // After Allocate: copies text (at most the allocated length) and completes.
    bool Fill(const char* text) noexcept;
    // Allocates and fills the buffers with the texts of another set; a null
    // text leaves them null. False, and all null, on failure.
    bool CopyFrom(const char* text, const char16_t* wide) noexcept;
    void Free() noexcept;

private:
    void StoreWide(const char16_t* wide, std::size_t length) noexcept;

    char*& m_text;
    char*& m_textCopy;
    char16_t*& m_wide;
    char16_t*& m_wideCopy;
    std::size_t m_length = 0;
};

} // namespace tarnClientLib

#endif
