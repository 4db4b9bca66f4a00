// ReadDocument on expat.
#include <expat.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
#include <random>

#include "vcom/Codes.h"
#include "vcom/ProcessWide.h"
#include "xmlparser/DocumentBuilder.h"
#include "xmlparser/FirstFailure.h"
#include "xmlparser/ReadDocument.h"

namespace xmlparser {

namespace {

// Expat reads a document through its own buffer: in pieces of this size the
// buffer stays small, where the whole text at once would copy all of it.
constexpr std::size_t PieceSize = 64 * 1024;

// Expat scans a token that a piece leaves unfinished again from its start
// with every further piece, unless its reparse deferral (not in every expat
// release) holds it back. A token that outgrows a whole piece, which no
// server list has, gets the rest of the document in one call instead, so
// that even a value of many megabytes is scanned about once. Where expat
// cannot tell, the rest goes in one call too.
std::size_t NextPiece(XML_Parser parser, std::size_t fed, std::size_t length) {
    const XML_Index at = XML_GetCurrentByteIndex(parser);
    const bool longToken = at < 0 || fed - static_cast<std::size_t>(at) >= PieceSize;
    return longToken ? length - fed : PieceSize;
}

// Expat salts its name hashing against crafted collisions, and draws a new
// salt from the system for every parser. One random salt per process gives
// the same protection without a system call per document.
unsigned long ProcessHashSalt() {
    static const unsigned long salt = [] {
        std::random_device source;
        const unsigned long drawn = (static_cast<unsigned long>(source()) << 16) ^ source();
        return drawn != 0 ? drawn : 1;
    }();
    return salt;
}

struct ParserFree {
    void operator()(XML_Parser p) const { XML_ParserFree(p); }
};
using ParserHolder = std::unique_ptr<XML_ParserStruct, ParserFree>;

// Setting up an expat parser costs more than reading a short reply, so one
// parser is kept between short documents and reset for the next. Documents
// read at the same time on other threads get parsers of their own.
class SpareParser {
public:
    static ParserHolder Take() {
        {
            const std::lock_guard<std::mutex> lock(Slot().mutex);
            if (Slot().parser)
                return std::move(Slot().parser);
        }
        return ParserHolder(XML_ParserCreate(nullptr));
    }

    // Keeps p for the next document when it can be reset and no other is kept.
    static void Give(ParserHolder p) {
        if (!p || XML_ParserReset(p.get(), nullptr) != XML_TRUE)
            return;
        const std::lock_guard<std::mutex> lock(Slot().mutex);
        if (!Slot().parser)
            Slot().parser = std::move(p);
    }

private:
    struct Kept {
        std::mutex mutex;
        ParserHolder parser;
    };
    static Kept& Slot() { return vcom::ProcessWide<Kept>(); }
};

// One expat parse. The handlers run inside expat's C code, so no exception
// may leave them: the first failure is recorded, the parser is stopped, and
// Read throws what was recorded.
class ExpatReader {
public:
    ExpatReader(const char* text, std::size_t length)
        : m_parser(SpareParser::Take()), m_builder(std::string_view(text, length)), m_keep(length <= PieceSize) {
        if (!m_parser)
            vcom::Fail(vcom::OutOfMemory);
        // A reset parser has no handlers and no salt: all are set anew.
        XML_Parser p = m_parser.get();
        XML_SetHashSalt(p, ProcessHashSalt());
        XML_SetUserData(p, this);
        XML_SetElementHandler(p, OnStart, OnEnd);
        // A DOCTYPE is refused before anything in it is read, so no entity of
        // the document's own ever exists; the entity handler is a second lock.
        XML_SetStartDoctypeDeclHandler(p, OnDoctype);
        XML_SetEntityDeclHandler(p, OnEntityDecl);
        XML_SetParamEntityParsing(p, XML_PARAM_ENTITY_PARSING_NEVER);
    }
    ~ExpatReader() {
        if (m_keep)
            SpareParser::Give(std::move(m_parser));
    }
    ExpatReader(const ExpatReader&) = delete;
    ExpatReader& operator=(const ExpatReader&) = delete;

    std::shared_ptr<const Document> Read(const char* text, std::size_t length) {
        if (length > static_cast<std::size_t>(std::numeric_limits<int>::max()))
            vcom::Fail(vcom::InvalidArgument);
        XML_Status status = XML_STATUS_OK;
        std::size_t done = 0;
        std::size_t piece = PieceSize;
        do {
            piece = std::min(piece, length - done);
            const XML_Bool last = done + piece == length ? XML_TRUE : XML_FALSE;
            status = XML_Parse(m_parser.get(), text + done, static_cast<int>(piece), last);
            done += piece;
            piece = NextPiece(m_parser.get(), done, length);
        } while (status == XML_STATUS_OK && done < length);
        m_failure.Rethrow();
        if (status != XML_STATUS_OK)
            vcom::Fail(XML_GetErrorCode(m_parser.get()) == XML_ERROR_NO_MEMORY ? vcom::OutOfMemory
                                                                               : vcom::Failure);
        return m_builder.Finish();
    }

private:
    static ExpatReader& Self(void* data) { return *static_cast<ExpatReader*>(data); }

    // Runs one handler's work; the first failure stops the parse.
    template <class Work>
    void Guard(Work&& work) noexcept {
        if (!m_failure.Failed() && !m_failure.Run(work))
            XML_StopParser(m_parser.get(), XML_FALSE);
    }

    static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        ExpatReader& self = Self(data);
        self.Guard([&] {
            self.m_builder.StartElement(name);
            for (const XML_Char** a = attributes; a[0]; a += 2)
                self.m_builder.AddAttribute(a[0], a[1]);
        });
    }

    static void XMLCALL OnEnd(void* data, const XML_Char*) {
        ExpatReader& self = Self(data);
        self.Guard([&] { self.m_builder.EndElement(); });
    }

    static void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        Self(data).Guard([] { vcom::Fail(vcom::Failure); });
    }

    static void XMLCALL OnEntityDecl(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                     const XML_Char*, const XML_Char*, const XML_Char*) {
        Self(data).Guard([] { vcom::Fail(vcom::Failure); });
    }

    ParserHolder m_parser;
    DocumentBuilder m_builder;
    FirstFailure m_failure;
    // A parser kept after a long document would keep its grown buffers too.
    bool m_keep;
};

} // namespace

std::shared_ptr<const Document> ReadDocument(const char* text, std::size_t length) {
    return ExpatReader(text, length).Read(text, length);
}

} // namespace xmlparser
