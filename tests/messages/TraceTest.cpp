#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "messages/SecretText.h"
#include "messages/Trace.h"

using tarnClientLib::SecretText;
using tarnClientLib::Trace;

namespace {

// A trace line: time stamp, thread number, then the text.
const std::regex kLine(R"(^(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z) \[(\d+)\] (.*)$)");

// Traces into a fresh file for one test, and back to nowhere after it.
class TraceFile {
public:
    TraceFile()
        : m_path(std::filesystem::temp_directory_path() /
                 ("tarn-trace-" + std::to_string(std::random_device{}()) + ".log")) {
        tarnClientLib::SetTraceDestination(m_path.string().c_str());
    }
    ~TraceFile() {
        tarnClientLib::SetTraceDestination(nullptr);
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }

    std::vector<std::string> Lines() const {
        std::ifstream in(m_path, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // The texts of the lines, each checked for its stamp.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const std::string& line : Lines()) {
            std::smatch parts;
            texts.push_back(std::regex_match(line, parts, kLine) ? parts[3].str() : "<malformed: " + line + ">");
        }
        return texts;
    }

private:
    std::filesystem::path m_path;
};

} // namespace

TEST(Trace, EachLineOfACallGetsTheStampEmptyLinesAreDroppedAndNothingGoesNowhere) {
    TraceFile file;
    Trace("Enter Function: %s\n", "Utility::MakeHttpRequest");
    Trace("Http headersize:%d\n%s", 19, "HTTP/1.1 200 OK\r\n\r\n");
    Trace("\n");
    tarnClientLib::TraceFailed("cannot connect to %s:%d: %s", "127.0.0.1", 1, "connection refused (111)");
    tarnClientLib::TraceRefused("HTTP %d", 503);
    // Without a destination nothing is written.
    tarnClientLib::SetTraceDestination(nullptr);
    Trace("nobody reads %s", "this");
    EXPECT_EQ((std::vector<std::string>{"Enter Function: Utility::MakeHttpRequest", "Http headersize:19",
                                        "HTTP/1.1 200 OK", "failed: cannot connect to 127.0.0.1:1: connection refused (111)",
                                        "refused: HTTP 503"}),
              file.Texts());
}

// That a typed or remembered password and a ticket never reach the trace of
// a whole login is the sample host's black-box test; here, how masking works.
TEST(Trace, MasksEverySecretHeldWhileItIsHeld) {
    const struct {
        const char* what;
        std::vector<std::string> secrets;
        std::string traced, shown;
    } cases[] = {
        {.what = "every occurrence, at both ends",
         .secrets = {"s3cret"},
         .traced = "s3cret and s3crets3cret",
         .shown = "*** and ******"},
        {.what = "a ticket that contains the password is masked whole",
         .secrets = {"abc", "XXabcXX"},
         .traced = "ticket XXabcXX password abc",
         .shown = "ticket *** password ***"},
    };
    for (const auto& c : cases) {
        TraceFile file;
        std::vector<SecretText> held;
        for (const std::string& secret : c.secrets)
            held.emplace_back(secret);
        Trace("%s", c.traced.c_str());
        EXPECT_EQ(std::vector<std::string>{c.shown}, file.Texts()) << c.what;
    }
}

TEST(Trace, ASecretIsMaskedUntilItsLastHolderIsGone) {
    TraceFile file;
    {
        SecretText first("pw1234");
        SecretText copy = first;
        {
            const SecretText moved = std::move(first);
        }
        Trace("a %s", "pw1234");
        first = std::string("other5");
        copy = first;
        Trace("b %s %s", "pw1234", "other5");
    }
    Trace("c %s", "pw1234");
    EXPECT_EQ((std::vector<std::string>{"a ***", "b pw1234 ***", "c pw1234"}), file.Texts());
}

// Eight threads trace at once: every line arrives whole, once, with the
// number of the thread that wrote it.
TEST(Trace, LinesOfConcurrentThreadsStayWhole) {
    constexpr int kThreads = 8;
    constexpr int kLinesEach = 200;
    const std::string filler(300, '.');
    TraceFile file;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &filler] {
            for (int i = 0; i < kLinesEach; ++i)
                Trace("thread %d line %d %s end\n", t, i, filler.c_str());
        });
    for (std::thread& thread : threads)
        thread.join();

    // Each writer's lines, once each, all under one thread number of its own.
    const std::regex body(R"(^thread (\d) line (\d+) \.{300} end$)");
    std::set<std::string> lines, numbered, numbers;
    for (const std::string& line : file.Lines()) {
        std::smatch stamp, parts;
        ASSERT_TRUE(std::regex_match(line, stamp, kLine)) << line;
        const std::string text = stamp[3].str();
        ASSERT_TRUE(std::regex_match(text, parts, body)) << line;
        EXPECT_TRUE(lines.insert(parts[1].str() + "/" + parts[2].str()).second) << "twice: " << line;
        numbered.insert(stamp[2].str() + "/" + parts[1].str());
        numbers.insert(stamp[2].str());
    }
    EXPECT_EQ(std::size_t(kThreads * kLinesEach), lines.size());
    EXPECT_EQ(std::size_t(kThreads), numbered.size()); // one number per thread
    EXPECT_EQ(std::size_t(kThreads), numbers.size());  // none shared
}
