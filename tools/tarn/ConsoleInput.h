// Asks the user for one line at a time on stderr and reads the answer from
// standard input: from the terminal, secrets without echo; from a pipe or a
// file, one line per answer, echoed after the question so that a transcript
// reads like a session (secrets never are).
#ifndef TARN_TOOLS_TARN_CONSOLEINPUT_H
#define TARN_TOOLS_TARN_CONSOLEINPUT_H

#include <string>

namespace tarn {

class ConsoleInput {
public:
    ConsoleInput();

    // Shows question, reads one line into answer; false at the end of input.
    bool Ask(const std::string& question, std::string& answer);
    // The same without showing what is typed.
    bool AskSecret(const std::string& question, std::string& answer);

private:
    bool m_terminal;
};

} // namespace tarn

#endif
