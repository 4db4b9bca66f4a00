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
// a whole login is the sample host's black-box test; here, how masking works:
// every occurrence, the longer of two overlapping secrets whole, and a secret
// only while some copy of it is held.
TEST(Trace, MasksEverySecretWhileItIsHeld) {
    TraceFile file;
    {
        SecretText first("abc"), ticket("XXabcXX");
        SecretText copy = first;
        {
            const SecretText moved = std::move(first);
        }
        Trace("a %s and %s%s, ticket %s", "abc", "abc", "abc", "XXabcXX");
        first = std::string("other5");
        copy = first;
        Trace("b %s %s", "abc", "other5");
    }
    Trace("c %s", "other5");
    EXPECT_EQ((std::vector<std::string>{"a *** and ******, ticket ***", "b abc ***", "c other5"}), file.Texts());
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
    const std::regex stamped(R"(^\S+ \[(\d+)\] thread (\d) line (\d+) \.{300} end$)");
    std::set<std::string> lines, numbered, numbers;
    for (const std::string& line : file.Lines()) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(line, parts, stamped)) << line;
        EXPECT_TRUE(lines.insert(parts[2].str() + "/" + parts[3].str()).second) << "twice: " << line;
        numbered.insert(parts[1].str() + "/" + parts[2].str());
        numbers.insert(parts[1].str());
    }
    EXPECT_EQ(std::size_t(kThreads * kLinesEach), lines.size());
    EXPECT_EQ(std::size_t(kThreads), numbered.size()); // one number per thread
    EXPECT_EQ(std::size_t(kThreads), numbers.size());  // none shared
}
