#include "ConsoleLogin.h"

#include <cstring>
#include <iostream>

#include "CodeTexts.h"
#include "ShownText.h"

namespace tarn {

namespace {

// The prompt's text fields hold 39 characters and their terminator.
void CopyField(char (&field)[40], const std::string& text) {
    const std::size_t count = text.size() < sizeof field - 1 ? text.size() : sizeof field - 1;
    std::memcpy(field, text.data(), count);
    field[count] = '\0';
}

std::string Question(const char* label, const std::string& proposal) {
    return proposal.empty() ? std::string(label) + ": " : std::string(label) + " [" + Shown(proposal) + "]: ";
}

} // namespace

ConsoleLogin::ConsoleLogin(ConsoleInput& input, int attempts) : m_input(input), m_attempts(attempts) {}

std::int32_t ConsoleLogin::PromptLogin(tarnclient::LoginPrompt* prompt) {
    if (m_prompts == m_attempts) {
        m_gaveUp = "no ticket after " + std::to_string(m_attempts) + " login attempts";
        return GaveUp;
    }
    if (m_pending != 0) {
        std::cerr << "login refused: " << AppErrorText(m_pending) << '\n';
        m_pending = 0;
    }
    ++m_prompts;

    std::string name;
    if (!m_input.Ask(Question("Public name", prompt->publicName), name)) {
        m_gaveUp = "login cancelled: no more input";
        return GaveUp;
    }
    // An empty answer takes the proposal; a proposed password is never shown.
    const std::string passwordHint = prompt->password[0] ? "Enter keeps it" : "";
    std::string password;
    if (!m_input.AskSecret(Question("Password", passwordHint), password)) {
        m_gaveUp = "login cancelled: no more input";
        return GaveUp;
    }
    if (!name.empty())
        CopyField(prompt->publicName, name);
    if (!password.empty())
        CopyField(prompt->password, password);
    prompt->action = 0;
    return 0;
}

std::int32_t ConsoleLogin::ReportError(std::int32_t code, std::int32_t) {
    m_pending = code;
    m_last = code;
    return 0;
}

} // namespace tarn
