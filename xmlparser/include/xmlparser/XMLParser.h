// XMLParser: a small XML reader with the TarnClient component model.
//
// A caller obtains the factory from XMLParserLib_GetComponentFactory(),
// creates a parser with Create(IParser::Id, &err) and parses a document with
// Parse(). The result is the root of an immutable tree of elements; every
// object of it may be used from several threads at once.
//
// Every interface pointer a caller receives carries one reference that it
// gives back with Release(). Every text an operation returns as char* is a
// new NUL-terminated UTF-8 string that the caller frees with
// XMLParserLib_MemFree(); INodeTexts lends texts of the tree instead.
//
// What a document may hold: elements with attributes, text, comments,
// processing instructions, CDATA sections, the predefined entities (&amp; ...)
// and character references. Text, comments and processing instructions are
// read and dropped; the tree holds elements and their attributes only.
// A document with a DOCTYPE is refused whatever it declares, so no entity of
// its own is ever expanded and nothing outside the text is ever read.
//
// Codes (the err out-parameters): 0 success; NoNode (1) when the node asked
// for does not exist (a leaf's children, the root's parent, the last
// sibling's next), with a null result; negative values are the failures of
// TarnClient.h (-1 failure or unknown id, -4 out of memory, -5 invalid
// argument).
#ifndef XMLPARSER_XMLPARSER_H
#define XMLPARSER_XMLPARSER_H

#include <cstdint>

#include <tarnclient/TarnClient.h>

namespace xmlparser {

enum {
    // Not a failure: the node asked for does not exist.
    NoNode = 1,
};

class INode;

// One attribute of an element.
class IAttribute : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 1009;
    // The name as written (with its prefix, if any); null if no memory.
    virtual char* GetName() = 0;
    // The value with entities and character references replaced and white
    // space normalised as XML requires; null if no memory.
    virtual char* GetValue() = 0;
};

// A sequence of items, in document order, with one item per call.
//
// A position is an index from Begin() (0) to End() (the count). Next returns
// the item at the position and moves it on; Prev moves it back and returns
// the item there. At the ends, or for any position outside the range, both
// return null and leave the position alone. Every item returned carries one
// reference.
template <class Item>
class ISequence : public vcom::IComponent {
public:
    virtual Item* Next(std::int32_t* pos) = 0;
    virtual Item* Prev(std::int32_t* pos) = 0;
    virtual std::int32_t Begin() = 0;
    virtual std::int32_t End() = 0;
    virtual bool IsEmpty() = 0;
    virtual std::int32_t Count() = 0;
};

// The attributes of an element.
class IElement : public ISequence<IAttribute> {
public:
    static constexpr std::int32_t Id = 1008;
};

// The child elements of a node.
class INodeList : public ISequence<INode> {
public:
    static constexpr std::int32_t Id = 1007;
};

// An element of the tree.
class INode : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 1005;
    // The tag name as written (with its prefix, if any); null if no memory.
    virtual char* GetName() = 0;
    // The enclosing element; the root answers null with NoNode.
    virtual INode* GetParent(std::int32_t* err) = 0;
    // The next child of the same parent; the last one (and the root) answer
    // null with NoNode.
    virtual INode* GetNextSibling(std::int32_t* err) = 0;
    virtual std::int32_t GetChildCount() = 0;
    virtual std::int32_t GetAttributeCount() = 0;
    // The value of the first attribute with exactly this name; null when
    // there is none, name is null, or no memory.
    virtual char* GetAttributeValue(const char* name) = 0;
    virtual bool HasAttribute(const char* name) = 0;
    // 0 for the root, 1 for its children, and so on.
    virtual std::int32_t GetDepth() = 0;
    // The child elements; a node without any answers null with NoNode.
    virtual INodeList* GetChildren(std::int32_t* err) = 0;
    // The child at index (from 0); outside the children, null with -5.
    virtual INode* GetChild(std::int32_t index, std::int32_t* err) = 0;
    // The attributes of this element (the same object, also reached by
    // QueryInterface(IElement::Id)).
    virtual IElement* GetElement(std::int32_t* err) = 0;
};

// Attribute values read in place, for a caller that reads many: no object
// and no copy per text. Every INode also answers this id. A text returned
// stays valid while any node or list of its tree is held, and is not freed
// by the caller.
class INodeTexts : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 1010;
    // The value of this element's first attribute with exactly this name;
    // null when there is none or name is null.
    virtual const char* GetAttributeText(const char* name) = 0;
    // The same for the child at index (from 0); null also outside the children.
    virtual const char* GetChildAttributeText(std::int32_t index, const char* name) = 0;
};

// Reads documents. A parser keeps nothing between calls.
class IParser : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 1004;
    // Parses the first length bytes of text, which end earlier at a NUL byte
    // (a negative length: the whole NUL-terminated text). Encoding: UTF-8;
    // which other byte encodings an XML declaration may name depends on the
    // parser underneath (a NUL byte ends the text, so never UTF-16).
    // Returns the root element, or null when text is null, the document is
    // not well-formed, has a DOCTYPE, or memory runs out.
    virtual INode* Parse(const char* text, std::int32_t length) = 0;
};

// Creates parsers.
class IParserFactory : public vcom::IComponent {
public:
    static constexpr std::int32_t Id = 1001;
    // A new parser asked for by interface id (0 or IParser::Id); any other
    // id answers null with -1, no memory null with -4.
    virtual vcom::IComponent* Create(std::int32_t id, std::int32_t* err) = 0;
};

} // namespace xmlparser

extern "C" {
// A factory with one reference for the caller, or null if no memory.
xmlparser::IParserFactory* XMLParserLib_GetComponentFactory();
// Frees a text that this library returned; null is ignored.
void XMLParserLib_MemFree(void* p);
}

#endif
