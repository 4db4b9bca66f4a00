// A password or a ticket. It is never traced: a line that would show one
// shows tarnClientLib::Masked instead (Trace.h). The value is overwritten
// when the object lets it go, so a freed block does not keep it.
#ifndef TARN_MESSAGES_SECRETTEXT_H
#define TARN_MESSAGES_SECRETTEXT_H

#include <string>

namespace tarnClientLib {

class SecretText {
public:
    SecretText() = default;
    explicit SecretText(std::string value) : m_value(std::move(value)) {}
    SecretText(const SecretText& other) = default;
    SecretText& operator=(const SecretText& other);
    SecretText& operator=(std::string value);
    ~SecretText() { Wipe(); }

    // The value itself, for the one place that must send or hand it out.
    const std::string& Reveal() const { return m_value; }
    bool empty() const { return m_value.empty(); }

private:
    void Wipe() noexcept;
    std::string m_value;
};

} // namespace tarnClientLib

#endif
