// ReadDocument on the Windows XmlLite reader.
#include <shlwapi.h>

#include <limits>
#include <string>

#include "vcom/Codes.h"
#include "xmlparser/DocumentBuilder.h"
#include "xmlparser/FirstFailure.h"
#include "xmlparser/ReadDocument.h"
#include "xmlparser/xmllite/DistinctNames.h"
#include "xmlparser/xmllite/TagOrder.h"
#include "xmlparser/xmllite/Utf8.h"
#include "xmlparser/xmllite/XmlLiteLibrary.h"

namespace xmlparser {

namespace {

void Check(HRESULT hr) {
    if (FAILED(hr))
        vcom::Fail(hr == E_OUTOFMEMORY ? vcom::OutOfMemory : vcom::Failure);
}

// One XmlLite parse: pulls nodes until the end of the document or the first
// failure, which Read then throws.
class XmlLiteReader {
public:
    XmlLiteReader(const char* text, std::size_t length) : m_builder(std::string_view(text, length)) {}

    std::shared_ptr<const Document> Read(const char* text, std::size_t length) {
        // An empty text is no document; a memory stream could not even hold it.
        if (length == 0)
            vcom::Fail(vcom::Failure);
        if (length > static_cast<std::size_t>(std::numeric_limits<int>::max()))
            vcom::Fail(vcom::InvalidArgument);
        vcom::ref<IStream> stream(SHCreateMemStream(reinterpret_cast<const BYTE*>(text), static_cast<UINT>(length)));
        if (!stream)
            vcom::Fail(vcom::OutOfMemory);
        vcom::ref<IXmlReader> reader = CreateXmlLiteReader();
        Check(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit));
        Check(reader->SetInput(stream.get()));

        XmlNodeType type = XmlNodeType_None;
        HRESULT hr = S_OK;
        // Every node takes at least one byte of the text: more nodes than
        // bytes means the reader is going round in circles.
        std::size_t budget = length;
        while ((hr = reader->Read(&type)) == S_OK && m_failure.Run([&] {
                   if (budget-- == 0)
                       vcom::Fail(vcom::Failure);
                   Handle(*reader, type);
               })) {
        }
        m_failure.Rethrow();
        Check(hr);
        return m_builder.Finish();
    }

private:
    void Handle(IXmlReader& reader, XmlNodeType type) {
        switch (type) {
        case XmlNodeType_Element:
            OnElement(reader);
            break;
        case XmlNodeType_EndElement:
            m_tags.Next(reader);
            m_builder.EndElement();
            break;
        case XmlNodeType_DocumentType:
            // The reader refuses a DTD itself; this holds should it ever let one through.
            vcom::Fail(vcom::Failure);
        default:
            break;
        }
    }

    void OnElement(IXmlReader& reader) {
        const WCHAR* text = nullptr;
        UINT size = 0;
        Check(reader.GetQualifiedName(&text, &size));
        m_builder.StartElement(ToUtf8(text, size, m_name));
        // Both asked before moving to the attributes, which changes the current node.
        m_tags.Next(reader);
        const bool empty = reader.IsEmptyElement();
        m_names.Clear();
        HRESULT hr = reader.MoveToFirstAttribute();
        for (; hr == S_OK; hr = reader.MoveToNextAttribute()) {
            Check(reader.GetQualifiedName(&text, &size));
            m_names.Add(ToUtf8(text, size, m_name));
            Check(reader.GetValue(&text, &size));
            m_builder.AddAttribute(m_name, ToUtf8(text, size, m_value));
        }
        Check(hr);
        m_names.Check();
        // An empty element has no end of its own.
        if (empty)
            m_builder.EndElement();
    }

    DocumentBuilder m_builder;
    FirstFailure m_failure;
    DistinctNames m_names;
    TagOrder m_tags;
    std::string m_name;
    std::string m_value;
};

} // namespace

std::shared_ptr<const Document> ReadDocument(const char* text, std::size_t length) {
    return XmlLiteReader(text, length).Read(text, length);
}

} // namespace xmlparser
