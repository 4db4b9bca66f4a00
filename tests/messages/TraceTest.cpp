#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "messages/FailureRecord.h"
#include "messages/SecretText.h"
#include "messages/Trace.h"
#include "tests/support/Files.h"

using tarnClientLib::SecretText;
using tarnClientLib::Trace;

namespace {

// A trace line: time stamp, thread number, then the text.
const std::regex kLine(R"(^(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z) \[(\d+)\] (.*)$)");

// Traces into a fresh file for one test, and back to nowhere after it.
class TraceFile {
public:
    TraceFile() { tarnClientLib::SetTraceDestination(m_path.c_str()); }
    ~TraceFile() { tarnClientLib::SetTraceDestination(nullptr); }

    std::vector<std::string> Lines() const {
        std::istringstream in(tarntest::FileText(m_path));
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
    const tarntest::ScratchFolder m_folder;
    const std::string m_path = m_folder / "trace.log";
};

} // namespace

// Each line of a call gets the stamp, empty lines are dropped and nothing
// goes nowhere. Text from a server cannot drive the reader's terminal or add
// lines of its own: control characters are written escaped, and Printable
// escapes line breaks too. A password that is also a word of the trace
// changes nothing.
TEST(Trace, LinesAreStampedEscapedAndNeverMaskedBySearching) {
    TraceFile file;
    const SecretText password("Connect");
    Trace("Enter Function: %s\n", "Utility::MakeHttpRequest");
    Trace("Http headersize:%d\n%s", 19, "HTTP/1.1 200 OK\r\n\r\n");
    Trace("\n");
    tarnClientLib::TraceFailed(tarnclient::CallNotReached, "cannot connect to %s:%d", "127.0.0.1", 1);
    tarnClientLib::TraceRefused("HTTP %d", 503);
    Trace("status %s", "\x1b[2J\x1b[31mcall 555\a\tnow");
    Trace("server \"%s\"", tarnClientLib::Printable("evil\r\nfailed: fake line\x7f").c_str());
    Trace("CHttp::Connect host:%s", "127.0.0.1");
    tarnClientLib::SetTraceDestination(nullptr);
    Trace("nobody reads %s", "this");
    EXPECT_EQ((std::vector<std::string>{"Enter Function: Utility::MakeHttpRequest", "Http headersize:19",
                                        "HTTP/1.1 200 OK", "failed: cannot connect to 127.0.0.1:1",
                                        "refused: HTTP 503", "status \\x1b[2J\\x1b[31mcall 555\\x07\\x09now",
                                        "server \"evil\\x0d\\x0afailed: fake line\\x7f\"",
                                        "CHttp::Connect host:127.0.0.1"}),
              file.Texts());
}

// Eight threads trace at once, to a file and to the host's sink, which is
// removed while they trace: every line arrives whole, once, with the number
// of the thread that wrote it; the sink is called one line at a time and,
// once its removal returns, never again.
TEST(Trace, LinesOfConcurrentThreadsStayWholeAndTheSinkCanGoMeanwhile) {
    struct Received {
        std::atomic<int> inside{0};
        std::atomic<bool> overlapped{false}, afterRemoval{false}, removed{false};
        std::atomic<std::size_t> count{0};
        std::string first; // written before count is first raised
    } received;
    const auto sink = [](void* context, const char* line) {
        auto& r = *static_cast<Received*>(context);
        if (r.inside.fetch_add(1) != 0)
            r.overlapped = true;
        if (r.removed)
            r.afterRemoval = true;
        if (r.count == 0)
            r.first = line;
        ++r.count;
        r.inside.fetch_sub(1);
    };
    constexpr int kThreads = 8;
    constexpr int kLinesEach = 200;
    const std::string filler(300, '.');
    TraceFile file;
    tarnClientLib::SetTraceSink(sink, &received);
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &filler, &stop] {
            for (int i = 0; i < kLinesEach || !stop; ++i)
                Trace("thread %d line %d %s end\n", t, i, filler.c_str());
        });
    while (received.count < 200)
        std::this_thread::yield();
    tarnClientLib::SetTraceSink(nullptr, nullptr);
    received.removed = true;
    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_FALSE(received.overlapped);
    EXPECT_FALSE(received.afterRemoval);
    EXPECT_TRUE(std::regex_match(received.first, kLine)) << received.first;

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
    EXPECT_GE(lines.size(), std::size_t(kThreads * kLinesEach));
    EXPECT_EQ(std::size_t(kThreads), numbered.size()); // one number per thread
    EXPECT_EQ(std::size_t(kThreads), numbers.size());  // none shared
}

// A failed step is kept by the thread's record, the first one of a call
// only, escaped, even when nothing is traced.
TEST(Trace, FailureRecordKeepsTheFirstCause) {
    tarnClientLib::FailureRecord record;
    {
        const tarnClientLib::RecordFailures scope(record);
        tarnClientLib::TraceFailed(tarnclient::CallNoReply, "first %s", "cause\x1b");
        tarnClientLib::TraceRefused("second");
    }
    tarnClientLib::TraceFailed(tarnclient::CallNotReached, "outside any record");
    EXPECT_EQ(record.Kind(), tarnclient::CallNoReply);
    EXPECT_EQ(record.Text(), "first cause\\x1b");
}
