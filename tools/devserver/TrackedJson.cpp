#include "TrackedJson.h"

#include <cctype>
#include <iterator>
#include <memory>
#include <vector>

#include "DataError.h"

namespace devserver {

namespace {

using nlohmann::json;

// Where the parser has read to. The line of the last character that is not
// white space is the line of the token just read: the parser reads one
// character past a number, and that character may be a line end.
struct ReadPosition {
    int line = 1;
    int tokenLine = 1;
};

// A character iterator that keeps ReadPosition up to date as the parser
// advances over the text.
class CountingIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator(const char* at, ReadPosition* position) : m_at(at), m_position(position) {}

    reference operator*() const { return *m_at; }
    CountingIterator& operator++() {
        if (*m_at == '\n')
            ++m_position->line;
        else if (!std::isspace(static_cast<unsigned char>(*m_at)))
            m_position->tokenLine = m_position->line;
        ++m_at;
        return *this;
    }
    CountingIterator operator++(int) {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return m_at == other.m_at; }
    bool operator!=(const CountingIterator& other) const { return m_at != other.m_at; }

private:
    const char* m_at;
    ReadPosition* m_position;
};

// Follows the parser's events to know the pointer of every value it starts.
class PathTracker {
public:
    PathTracker(const ReadPosition& position, std::map<std::string, int>& lines)
        : m_position(position), m_lines(lines) {}

    bool operator()(int, json::parse_event_t event, json& parsed) {
        switch (event) {
        case json::parse_event_t::key:
            m_key = parsed.get<std::string>();
            Record(ChildPointer(), true);
            break;
        case json::parse_event_t::object_start:
        case json::parse_event_t::array_start:
            m_frames.push_back({StartElement(), event == json::parse_event_t::array_start, 0});
            break;
        case json::parse_event_t::object_end:
        case json::parse_event_t::array_end:
            m_frames.pop_back();
            break;
        case json::parse_event_t::value:
            StartElement();
            break;
        }
        return true;
    }

private:
    struct Frame {
        std::string pointer;
        bool isArray;
        int next; // index of the next array element
    };

    static std::string Escape(const std::string& key) {
        std::string out;
        for (char c : key)
            out += c == '~' ? std::string("~0") : c == '/' ? std::string("~1") : std::string(1, c);
        return out;
    }

    std::string ChildPointer() const {
        if (m_frames.empty())
            return std::string();
        const Frame& parent = m_frames.back();
        return parent.pointer + "/" + (parent.isArray ? std::to_string(parent.next) : Escape(m_key));
    }

    // The pointer of a value that starts now; an array counts it.
    std::string StartElement() {
        std::string pointer = ChildPointer();
        if (!m_frames.empty() && m_frames.back().isArray)
            ++m_frames.back().next;
        Record(pointer, false);
        return pointer;
    }

    void Record(const std::string& pointer, bool replace) {
        if (replace || m_lines.find(pointer) == m_lines.end())
            m_lines[pointer] = m_position.tokenLine;
    }

    const ReadPosition& m_position;
    std::map<std::string, int>& m_lines;
    std::vector<Frame> m_frames;
    std::string m_key;
};

int LineAtByte(const std::string& text, std::size_t byte) {
    int line = 1;
    for (std::size_t i = 0; i + 1 < byte && i < text.size(); ++i)
        if (text[i] == '\n')
            ++line;
    return line;
}

// The parser's message without its exception tag and position prefix.
std::string SyntaxReason(const std::string& what) {
    const std::size_t column = what.find("column ");
    const std::size_t colon = column == std::string::npos ? std::string::npos : what.find(": ", column);
    if (colon != std::string::npos)
        return what.substr(colon + 2);
    const std::size_t tag = what.find("] ");
    return tag == std::string::npos ? what : what.substr(tag + 2);
}

} // namespace

int TrackedJson::LineOf(const std::string& pointer) const {
    std::string at = pointer;
    for (;;) {
        auto found = lines.find(at);
        if (found != lines.end())
            return found->second;
        const std::size_t slash = at.rfind('/');
        if (slash == std::string::npos)
            return 1;
        at.erase(slash);
    }
}

TrackedJson ParseTrackedJson(const std::string& text) {
    TrackedJson tracked;
    auto position = std::make_unique<ReadPosition>();
    PathTracker tracker(*position, tracked.lines);
    const char* begin = text.data();
    try {
        tracked.value = json::parse(CountingIterator(begin, position.get()),
                                    CountingIterator(begin + text.size(), position.get()),
                                    [&tracker](int depth, json::parse_event_t event, json& parsed) {
                                        return tracker(depth, event, parsed);
                                    });
    } catch (const json::parse_error& e) {
        throw DataError(LineAtByte(text, e.byte), SyntaxReason(e.what()));
    }
    return tracked;
}

} // namespace devserver
