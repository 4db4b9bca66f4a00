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

private:
    std::filesystem::path m_path;
};

// A trace line: time stamp, thread number, then the text.
const std::regex kLine(R"(^(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z) \[(\d+)\] (.*)$)");

std::string TextOf(const std::string& line) {
    std::smatch parts;
    return std::regex_match(line, parts, kLine) ? parts[3].str() : "<malformed: " + line + ">";
}

} // namespace

TEST(Trace, EachLineOfACallGetsTheStampAndEmptyLinesAreDropped) {
    TraceFile file;
    Trace("Enter Function: %s\n", "Utility::MakeHttpRequest");
    Trace("Http headersize:%d\n%s", 19, "HTTP/1.1 200 OK\r\n\r\n");
    Trace("\n");
    tarnClientLib::TraceFailed("cannot connect to %s:%d: %s", "127.0.0.1", 1, "connection refused (111)");
    tarnClientLib::TraceRefused("HTTP %d", 503);
    const std::vector<std::string> lines = file.Lines();
    std::vector<std::string> texts;
    for (const std::string& line : lines)
        texts.push_back(TextOf(line));
    EXPECT_EQ((std::vector<std::string>{"Enter Function: Utility::MakeHttpRequest", "Http headersize:19",
                                        "HTTP/1.1 200 OK", "failed: cannot connect to 127.0.0.1:1: connection refused (111)",
                                        "refused: HTTP 503"}),
              texts);
}

TEST(Trace, WritesNothingWithoutADestination) {
    TraceFile file;
    tarnClientLib::SetTraceDestination(nullptr);
    Trace("nobody reads %s", "this");
    tarnClientLib::TraceFailed("nor %s", "this");
    EXPECT_TRUE(file.Lines().empty());
}

TEST(Trace, MasksEverySecretHeldWhileItIsHeld) {
    struct Case {
        const char* what;
        std::vector<std::string> secrets;
        std::string traced;
        std::string shown;
    };
    const Case cases[] = {
        {.what = "a password inside a request dump",
         .secrets = {"wonderland1"},
         .traced = "body: \x01\x0b" "wonderland1\x02" "alice",
         .shown = "body: \x01\x0b***\x02" "alice"},
        {.what = "every occurrence, at both ends",
         .secrets = {"s3cret"},
         .traced = "s3cret and s3crets3cret",
         .shown = "*** and ******"},
        {.what = "a ticket that contains the password is masked whole",
         .secrets = {"abc", "XXabcXX"},
         .traced = "ticket XXabcXX password abc",
         .shown = "ticket *** password ***"},
    };
    for (const Case& c : cases) {
        TraceFile file;
        std::vector<SecretText> held;
        for (const std::string& secret : c.secrets)
            held.emplace_back(secret);
        Trace("%s", c.traced.c_str());
        const std::vector<std::string> lines = file.Lines();
        ASSERT_EQ(1u, lines.size()) << c.what;
        EXPECT_EQ(c.shown, TextOf(lines[0])) << c.what;
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
    const std::vector<std::string> lines = file.Lines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("a ***", TextOf(lines[0]));
    EXPECT_EQ("b pw1234 ***", TextOf(lines[1]));
    EXPECT_EQ("c pw1234", TextOf(lines[2]));
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
    const std::regex body(R"(^\[(\d+)\] thread (\d) line (\d+) \.{300} end$)");
    std::set<std::string> lines, numbered, numbers;
    for (const std::string& line : file.Lines()) {
        std::smatch parts;
        const std::string text = line.substr(std::min<std::size_t>(line.size(), 25)); // after the time stamp
        ASSERT_TRUE(std::regex_match(line, kLine) && std::regex_match(text, parts, body)) << line;
        EXPECT_TRUE(lines.insert(parts[2].str() + "/" + parts[3].str()).second) << "twice: " << line;
        numbered.insert(parts[1].str() + "/" + parts[2].str());
        numbers.insert(parts[1].str());
    }
    EXPECT_EQ(std::size_t(kThreads * kLinesEach), lines.size());
    EXPECT_EQ(std::size_t(kThreads), numbered.size()); // one number per thread
    EXPECT_EQ(std::size_t(kThreads), numbers.size());  // none shared
}
