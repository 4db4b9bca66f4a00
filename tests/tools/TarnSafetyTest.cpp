// tarn against a hostile server and an impatient user: what the server
// sends is shown as data, never as commands to the terminal, and a signal
// at the password prompt or during a request leaves the terminal's echo on
// and no temporary file behind.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "tests/support/Files.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

namespace {

using namespace std::chrono_literals;
using tarntest::Step;

constexpr auto kPatience = 20s;

// Runs in the child: tarn with args, its own registry and temporary folder.
[[noreturn]] void ExecTarn(const std::vector<std::string>& args, const std::string& temp) {
    setenv("TMPDIR", temp.c_str(), 1);
    unsetenv("TARN_TRACE");
    std::vector<char*> argv{const_cast<char*>(TARN_TOOL)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(TARN_TOOL, argv.data());
    _exit(127);
}

struct Output {
    std::string out, err;
};

// tarn with standard input empty; what it wrote.
Output RunTarn(const std::vector<std::string>& args) {
    const tarntest::ScratchFolder temp;
    const std::string out = temp / "out", err = temp / "err";
    const pid_t child = fork();
    if (child == 0) {
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT, 0600), STDOUT_FILENO);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT, 0600), STDERR_FILENO);
        alarm(std::chrono::seconds(kPatience).count()); // kept across exec: a tarn that hangs ends
        ExecTarn(args, temp.path());
    }
    waitpid(child, nullptr, 0);
    return {tarntest::FileText(out), tarntest::FileText(err)};
}

// Bytes a terminal would act on: C0 but the line end, DEL, C1 in UTF-8,
// bidirectional overrides.
bool TerminalSafe(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((c < 0x20 && c != '\n') || c == 0x7F || (c == 0xC2 && next >= 0x80 && next <= 0x9F) ||
            text.compare(i, 3, "\xE2\x80\xAE") == 0)
            return false;
    }
    return true;
}

// An address reply listing servers (XML elements).
std::string AddressReply(const std::string& servers) {
    return tarntest::HttpReply(200, tarntest::ReplyRecordBytes(2, 0, {{"serverlist", "<l>" + servers + "</l>"}}));
}

std::string ServerList(const std::string& name) {
    return AddressReply("<s name=\"" + name + "\" address=\"10.0.0.1:7000\" uc=\"1\"/>");
}

TEST(Tarn, ShowsWhatTheServerSendsAsData) {
    const std::string fakeLine = "alpha&#10;tarn: your account is locked, call 555-0100";
    const struct {
        const char* what;
        std::vector<std::string> args; // after --server ADDRESS
        std::string reply;
        std::string out{}, err{};   // expected within stdout, stderr
        std::string jsonName{};     // --json: the name a JSON reader gets
    } cases[] = {
        {.what = "a line break that fakes a line of tarn's own",
         .args = {"servers", "P", "c"},
         .reply = ServerList(fakeLine),
         .out = "alpha\\x0Atarn: your account is locked, call 555-0100  10.0.0.1:7000"},
        {.what = "a C1 control that starts an escape sequence",
         .args = {"server", "P", "c"},
         .reply = ServerList("b&#x9B;2J"),
         .out = "b\\xC2\\x9B2J"},
        {.what = "a bidirectional override",
         .args = {"servers", "P", "c"},
         .reply = ServerList("&#x202E;lave"),
         .out = "\\xE2\\x80\\xAElave"},
        {.what = "the same as JSON",
         .args = {"servers", "P", "c", "--json"},
         .reply = ServerList(fakeLine + "&#x9B;&#x202E;&#xE9;"),
         .out = "alpha\\ntarn: your account",
         .jsonName = "alpha\ntarn: your account is locked, call 555-0100\xC2\x9B\xE2\x80\xAE\xC3\xA9"},
        {.what = "a ticket with an escape sequence",
         .args = {"ticket", "P", "e", "--context-id", "x"},
         .reply = tarntest::HttpReply(
             200, tarntest::TicketReplyBytes(0, {{"key", "\x1B]0;owned\x07K\xFF"}, {"lifetime", "60"}})),
         .out = "ticket \\x1B]0;owned\\x07K\\xFF"},
        {.what = "an argument echoed in the error",
         .args = {"servers", "P\x1B[2J\x9B", "c"},
         .reply = AddressReply(""),
         .err = "no server found (product P\\x1B[2J\\x9B, "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        tarntest::ScriptedServer server;
        server.Script(tarntest::Answer(c.reply));
        std::vector<std::string> args{"--server", server.Address()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Output tarn = RunTarn(args);
        EXPECT_TRUE(TerminalSafe(tarn.out)) << tarn.out;
        EXPECT_TRUE(TerminalSafe(tarn.err)) << tarn.err;
        EXPECT_NE(std::string::npos, tarn.out.find(c.out)) << tarn.out;
        EXPECT_NE(std::string::npos, tarn.err.find(c.err)) << tarn.err;
        if (!c.jsonName.empty()) {
            for (const char byte : tarn.out)
                EXPECT_TRUE(byte == '\n' || (byte >= 0x20 && byte < 0x7F)) << int{byte};
            EXPECT_EQ(c.jsonName, nlohmann::json::parse(tarn.out)["servers"][0]["name"]);
        }
    }
}

// Reads the terminal's output until it shows text; false when it never does.
bool WaitFor(int terminal, const std::string& text, std::string& seen) {
    const auto until = std::chrono::steady_clock::now() + kPatience;
    char buffer[512];
    while (seen.find(text) == std::string::npos && std::chrono::steady_clock::now() < until) {
        pollfd wait{terminal, POLLIN, 0};
        if (poll(&wait, 1, 100) <= 0)
            continue;
        const ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        seen.append(buffer, static_cast<std::size_t>(got));
    }
    return seen.find(text) != std::string::npos;
}

bool Echoes(int terminal) {
    termios settings{};
    return tcgetattr(terminal, &settings) == 0 && (settings.c_lflag & ECHO);
}

TEST(Tarn, PutsTheTerminalBackAndLeavesNothingWhenASignalEndsIt) {
    const struct {
        const char* what;
        int signal;
        bool atPrompt;          // else while a lookup waits for its reply
        bool typed = false;     // Ctrl-C typed on the terminal, not sent with kill
    } cases[] = {
        {.what = "Ctrl-C at the password prompt", .signal = SIGINT, .atPrompt = true, .typed = true},
        {.what = "SIGTERM at the password prompt", .signal = SIGTERM, .atPrompt = true},
        {.what = "the terminal hanging up at the password prompt", .signal = SIGHUP, .atPrompt = true},
        {.what = "Ctrl-C while a lookup waits", .signal = SIGINT, .atPrompt = false, .typed = true},
        {.what = "SIGTERM while a lookup waits", .signal = SIGTERM, .atPrompt = false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        tarntest::ScriptedServer server;
        server.Script({tarntest::ReadRequest(), tarntest::Silent()});
        const tarntest::ScratchFolder temp;
        const std::vector<std::string> args =
            c.atPrompt ? std::vector<std::string>{"--server", server.Address(), "ticket", "P", "e"}
                       : std::vector<std::string>{"--server", server.Address(), "servers", "P", "c"};
        int terminal = -1;
        char name[128] = {};
        const pid_t child = forkpty(&terminal, name, nullptr, nullptr);
        ASSERT_GE(child, 0);
        if (child == 0)
            ExecTarn(args, temp.path());
        // Held open, so the terminal keeps the settings tarn leaves behind.
        const int slave = open(name, O_RDWR | O_NOCTTY);
        ASSERT_GE(slave, 0);

        std::string seen;
        if (c.atPrompt) {
            ASSERT_TRUE(WaitFor(terminal, "Public name", seen)) << seen;
            ASSERT_EQ(6, write(terminal, "alice\n", 6));
            ASSERT_TRUE(WaitFor(terminal, "Password", seen)) << seen;
            // The question comes first, then echo goes off.
            const auto until = std::chrono::steady_clock::now() + kPatience;
            while (Echoes(slave) && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(1ms);
            ASSERT_FALSE(Echoes(slave));
        } else {
            const auto until = std::chrono::steady_clock::now() + kPatience;
            while (server.Requests().empty() && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(10ms);
            ASSERT_FALSE(server.Requests().empty());
        }
        EXPECT_TRUE(std::filesystem::is_empty(temp.path())) << "tarn makes no temporary file";
        if (c.typed)
            ASSERT_EQ(1, write(terminal, "\x03", 1));
        else
            kill(child, c.signal);
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
        // A waiting lookup is stopped, and says so, before tarn ends.
        if (!c.atPrompt) {
            EXPECT_TRUE(WaitFor(terminal, "cancelled while ", seen)) << seen;
        }
        EXPECT_TRUE(Echoes(slave));
        EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
        close(slave);
        close(terminal);
    }
}

} // namespace
