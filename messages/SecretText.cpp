#include "messages/SecretText.h"

#include <utility>

namespace tarnClientLib {

// The copy is taken before the old value is wiped (self-assignment included).
SecretText& SecretText::operator=(const SecretText& other) { return *this = std::string(other.m_value); }

SecretText& SecretText::operator=(std::string value) {
    Wipe();
    m_value = std::move(value);
    return *this;
}

// Through a volatile pointer, so that the stores are not dropped as dead.
void SecretText::Wipe() noexcept {
    volatile char* at = m_value.empty() ? nullptr : &m_value[0];
    for (std::size_t i = 0; i < m_value.size(); ++i)
        at[i] = '\0';
}

} // namespace tarnClientLib
