// A password or a ticket. While any SecretText holds a value, every trace line
// shows "***" in its place, so code that traces a buffer which happens to
// hold the value cannot leak it. Hold passwords and tickets only in this type.
#ifndef TARN_MESSAGES_SECRETTEXT_H
#define TARN_MESSAGES_SECRETTEXT_H

#include <string>

namespace tarnClientLib {

class SecretText {
public:
    SecretText() = default;
    explicit SecretText(std::string value);
    SecretText(const SecretText& other);
    SecretText& operator=(const SecretText& other);
    SecretText& operator=(std::string value);
    ~SecretText();

    // The value itself, for the one place that must send or hand it out.
    const std::string& Reveal() const { return m_value; }
    bool empty() const { return m_value.empty(); }

private:
    std::string m_value;
};

// Every registered secret in text replaced by "***", longest first.
std::string MaskSecrets(std::string text);

} // namespace tarnClientLib

#endif
