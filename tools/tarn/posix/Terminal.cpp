#include "../Terminal.h"

#include <iostream>

#include <termios.h>
#include <unistd.h>

namespace tarn {

namespace {

// Echo is off while it lives, so an interrupted read still restores it.
class EchoOff {
public:
    EchoOff() : m_saved(), m_active(tcgetattr(STDIN_FILENO, &m_saved) == 0) {
        if (!m_active)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
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
};

} // namespace

bool InputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool ReadLineWithoutEcho(std::string& line) {
    EchoOff quiet;
    return static_cast<bool>(std::getline(std::cin, line));
}

} // namespace tarn
