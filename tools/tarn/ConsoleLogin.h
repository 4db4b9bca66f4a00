// tarn's IDisplayCallback: asks for public name and password on the console
// and keeps the application errors the library reports, so the user sees why
// the prompt comes back and the final failure can name its cause.
#ifndef TARN_TOOLS_TARN_CONSOLELOGIN_H
#define TARN_TOOLS_TARN_CONSOLELOGIN_H

#include <cstdint>
#include <string>

#include <tarnclient/TarnClient.h>

#include "ConsoleInput.h"

namespace tarn {

class ConsoleLogin : public tarnclient::DisplayCallback {
public:
    // The result PromptLogin gives when the user cannot or will not go on;
    // GetTicket hands it back unchanged. Distinct from 1, "no stored ticket".
    static constexpr std::int32_t GaveUp = 100;

    // attempts: how many times the prompt is shown at most.
    ConsoleLogin(ConsoleInput& input, int attempts);
    ConsoleLogin(const ConsoleLogin&) = delete;
    ConsoleLogin& operator=(const ConsoleLogin&) = delete;

    // The object lives on tarn's stack; the library holds no reference to it.
    std::int32_t PromptLogin(tarnclient::LoginPrompt* prompt) override;
    std::int32_t ReportError(std::int32_t code, std::int32_t zero) override;

    // The application error reported last and not shown yet; 0 when none.
    std::int32_t PendingError() const { return m_pending; }
    // The application error reported last, shown or not; 0 when none.
    std::int32_t LastError() const { return m_last; }
    // Why PromptLogin gave up (empty while it has not).
    const std::string& GaveUpReason() const { return m_gaveUp; }

private:
    ConsoleInput& m_input;
    const int m_attempts;
    int m_prompts = 0;
    std::int32_t m_pending = 0;
    std::int32_t m_last = 0;
    std::string m_gaveUp;
};

} // namespace tarn

#endif
