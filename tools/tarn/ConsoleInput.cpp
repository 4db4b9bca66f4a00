#include "ConsoleInput.h"

#include <iostream>

#include "Interrupt.h"
#include "Terminal.h"

namespace tarn {

namespace {

// A line from Windows input may end with CR.
void TrimLineEnd(std::string& line) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
}

} // namespace

ConsoleInput::ConsoleInput() : m_terminal(InputIsTerminal()) {}

bool ConsoleInput::Ask(const std::string& question, std::string& answer) {
    const ReadingFromUser reading;
    std::cerr << question << std::flush;
    if (!std::getline(std::cin, answer)) {
        std::cerr << '\n';
        return false;
    }
    TrimLineEnd(answer);
    if (!m_terminal)
        std::cerr << answer << '\n';
    return true;
}

bool ConsoleInput::AskSecret(const std::string& question, std::string& answer) {
    const ReadingFromUser reading;
    std::cerr << question << std::flush;
    const bool read = m_terminal ? ReadLineWithoutEcho(answer) : static_cast<bool>(std::getline(std::cin, answer));
    if (!m_terminal || !read)
        std::cerr << '\n';
    TrimLineEnd(answer);
    return read;
}

} // namespace tarn
