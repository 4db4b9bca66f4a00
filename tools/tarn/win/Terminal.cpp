#include "../Terminal.h"

#include <io.h>
#include <iostream>
#include <optional>
#include <stdio.h>

#include <windows.h>

#include "../Interrupt.h"

namespace tarn {

namespace {

// Echo is off while it lives, so an interrupted read still restores it,
// and so does Ctrl-C or a closing console meanwhile.
class EchoOff {
public:
    EchoOff() : m_input(GetStdHandle(STD_INPUT_HANDLE)), m_saved(0), m_active(false) {
        if (m_input == INVALID_HANDLE_VALUE || !GetConsoleMode(m_input, &m_saved))
            return;
        m_undo.emplace([this] { SetConsoleMode(m_input, m_saved); });
        m_active = SetConsoleMode(m_input, m_saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
    }
    ~EchoOff() {
        if (m_active)
            SetConsoleMode(m_input, m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    bool Active() const { return m_active; }

private:
    HANDLE m_input;
    DWORD m_saved;
    bool m_active;
    std::optional<UndoOnInterrupt> m_undo;
};

} // namespace

bool InputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

bool ReadLineWithoutEcho(std::string& line) {
    EchoOff quiet;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    // The console did not echo the Enter key either.
    if (quiet.Active())
        std::cerr << '\n';
    return read;
}

} // namespace tarn
