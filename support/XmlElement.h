#pragma once

#include "support/XmlNode.h"

#include <memory>
#include <vector>

// Destroys a node and gives its memory back where it came from: its document's arena or the heap.
struct XmlNodeDelete {
    void operator()(XmlNode* node) const noexcept;
    void operator()(XmlElement* element) const noexcept;
};

// An element: a node with ordered children and attributes, both owned. Attribute names are not unique;
// lookups take the first match, compared without case so hand-edited files still load.
class XmlElement : public XmlNode {
public:
    // An indent level of the written layout.
    static constexpr const char16_t* kIndent = u"   ";

    XmlElement() = default;
    XmlElement(const XmlElement&) = delete;
    XmlElement& operator=(const XmlElement&) = delete;
    ~XmlElement() override;

    XmlElement* AddChild();
    int ChildCount() const { return static_cast<int>(children_.size()); }
    XmlElement* Child(int index) const; // null outside 0..ChildCount()-1
    // The first child whose name matches without case, or null.
    XmlElement* ChildNamed(const WString& name) const;

    XmlNode* AddAttribute(const WString& name, const WString& value);
    XmlNode* AddAttribute(const char16_t* name, int nameLength, const char16_t* value, int valueLength);
    int AttributeCount() const { return attributeCount_; }
    XmlNode* AttributeAt(int index) const; // null outside 0..AttributeCount()-1; walks from the first
    bool HasAttribute(const WString& name) const;
    bool HasAttribute(const char16_t* name) const;
    // The text of the first attribute of that name; a missing attribute gives an empty string.
    const WString& Attribute(const WString& name, bool preferRaw = false) const;
    const WString& Attribute(const char16_t* name, bool preferRaw = false) const;

    // Deletes all children and attributes; name and text stay.
    void ClearContent();

    // Appends the element at the given indent depth in the fixed layout (line feeds, 3-space indents).
    void Write(WString& out, int depth) const;
    // Appends text with the five markup characters replaced by their entities.
    static void AppendEscaped(WString& out, const WString& text);

private:
    using OwnedElement = std::unique_ptr<XmlElement, XmlNodeDelete>;
    using OwnedNode = std::unique_ptr<XmlNode, XmlNodeDelete>;

    friend class XmlParser;

    template <class Node> std::unique_ptr<Node, XmlNodeDelete> MakeNode();
    // An attribute with a name from the arena's table and no text yet; for the parser.
    XmlNode* AddParsedAttribute(const WString* sharedName);
    XmlNode* AppendAttribute(OwnedNode node);
    const XmlNode* FindAttribute(const char16_t* name, int length) const;
    void DeleteAttributes();

    std::vector<OwnedElement> children_;
    // Attributes are chained through XmlNode::nextAttribute_ and owned here: an element of the program's
    // files has a handful, and a chain costs no list allocation per element.
    XmlNode* firstAttribute_ = nullptr;
    XmlNode* lastAttribute_ = nullptr;
    int attributeCount_ = 0;
};
