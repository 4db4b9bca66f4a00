#include "../Terminal.h"

#include <iostream>
#include <optional>

#include <termios.h>
#include <unistd.h>

#include "../Interrupt.h"

namespace tarn {

namespace {

// Echo is off while it lives, so an interrupted read still restores it,
// and so does a signal that ends tarn meanwhile.
class EchoOff {
public:
    EchoOff() : m_saved(), m_active(tcgetattr(STDIN_FILENO, &m_saved) == 0) {
        if (!m_active)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        // Registered first: a signal between the two leaves echo on anyway.
        m_undo.emplace([this] {
            tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
            // The line of the prompt ends, so the shell's prompt starts afresh.
            (void)!write(STDERR_FILENO, "\n", 1);
        });
        m_active = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (m_active)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    termios m_saved;
    bool m_active;
    std::optional<UndoOnInterrupt> m_undo;
};

} // namespace

bool InputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool ReadLineWithoutEcho(std::string& line) {
    EchoOff quiet;
    return static_cast<bool>(std::getline(std::cin, line));
}

} // namespace tarn
